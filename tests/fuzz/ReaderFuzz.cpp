// Fuzz target of the workbook reader. The first byte chooses what the rest is:
// even, a whole file; odd, a Workbook stream, wrapped in a compound file so
// that mutations reach the record parser.

#include "xls/CompoundFile.h"
#include "xls/Reader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace quadrilo;
    if (size < 1)
        return 0;
    const std::span<const std::uint8_t> body(data + 1, size - 1);
    xls::ReadOptions options;
    options.password = QStringLiteral("Mora4715");
    if (data[0] % 2 == 0) {
        auto r = xls::readWorkbook(body, options);
        (void)r;
    } else if (auto file = xls::writeCompoundFile(body)) {
        auto r = xls::readWorkbook(*file, options);
        (void)r;
    }
    return 0;
}
