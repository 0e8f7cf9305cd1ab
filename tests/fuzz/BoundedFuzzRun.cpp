// A bounded, repeatable run of the fuzz target without libFuzzer: the fixture
// files and their Workbook streams, mutated by a seeded generator (bit flips,
// byte runs, truncation, record-size changes, splices). Any crash, hang or
// sanitizer report fails the test.

#include "xls/CompoundFile.h"

#include <QDir>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes mutate(const Bytes& seed, std::mt19937_64& random)
{
    Bytes out = seed;
    const int steps = 1 + static_cast<int>(random() % 4);
    for (int s = 0; s < steps && !out.empty(); ++s) {
        const std::size_t at = random() % out.size();
        switch (random() % 6) {
        case 0: out[at] ^= static_cast<std::uint8_t>(1u << (random() % 8)); break;
        case 1: out[at] = static_cast<std::uint8_t>(random()); break;
        case 2: out.resize(at); break;
        case 3: {   // a plausible record size, large or zero
            if (at + 1 < out.size()) {
                const std::uint16_t v = (random() % 2) ? 0xFFFF : static_cast<std::uint16_t>(random() % 64);
                out[at] = static_cast<std::uint8_t>(v);
                out[at + 1] = static_cast<std::uint8_t>(v >> 8);
            }
            break;
        }
        case 4: out.insert(out.begin() + static_cast<std::ptrdiff_t>(at), random() % 16, static_cast<std::uint8_t>(random())); break;
        case 5: {   // copy a chunk from elsewhere
            const std::size_t from = random() % out.size();
            const std::size_t n = std::min<std::size_t>(random() % 64, std::min(out.size() - from, out.size() - at));
            std::copy(out.begin() + static_cast<std::ptrdiff_t>(from), out.begin() + static_cast<std::ptrdiff_t>(from + n),
                      out.begin() + static_cast<std::ptrdiff_t>(at));
            break;
        }
        }
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    const long iterations = argc > 1 ? std::atol(argv[1]) : 200000;
    const QDir folder(QStringLiteral(QUADRILO_FIXTURES_DIR "/xls"));
    std::vector<Bytes> seeds;
    for (const QString& name : folder.entryList({QStringLiteral("*.xls")}, QDir::Files, QDir::Name)) {
        auto file = quadrilo::xls::readFileBytes(folder.filePath(name));
        if (!file)
            continue;
        Bytes whole{0};
        whole.insert(whole.end(), file->begin(), file->end());
        seeds.push_back(std::move(whole));
        if (auto container = quadrilo::xls::readCompoundFile(*file)) {
            Bytes stream{1};
            stream.insert(stream.end(), container->workbookStream.begin(), container->workbookStream.end());
            seeds.push_back(std::move(stream));
        }
    }
    if (seeds.empty()) {
        std::fprintf(stderr, "no seed files in %s\n", QUADRILO_FIXTURES_DIR);
        return 1;
    }
    std::mt19937_64 random(20261208);
    for (long i = 0; i < iterations; ++i) {
        const Bytes& seed = seeds[static_cast<std::size_t>(i) % seeds.size()];
        Bytes input = mutate(seed, random);
        if (input.empty())
            input.push_back(seed[0]);
        else
            input[0] = seed[0];
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    std::printf("%ld inputs from %zu seeds: no crash\n", iterations, seeds.size());
    return 0;
}
