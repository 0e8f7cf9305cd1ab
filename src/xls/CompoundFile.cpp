// libgsf first: glib uses the word "signals", which Qt defines as a macro.
#include <gsf/gsf.h>

#include "xls/CompoundFile.h"

#include <QFile>

#include <cstring>
#include <mutex>

namespace quadrilo::xls {
namespace {

void ensureGsf()
{
    static std::once_flag once;
    std::call_once(once, [] {
        gsf_init();
        // Damaged files make libgsf log warnings; we report those files ourselves.
        for (const char* domain : {"libgsf:msole", "libgsf"})
            g_log_set_handler(domain, static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_MESSAGE),
                              [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr);
    });
}

template <typename T>
struct GObjectRef {
    T* p = nullptr;
    ~GObjectRef()
    {
        if (p)
            g_object_unref(p);
    }
};

struct GErrorRef {
    GError* e = nullptr;
    ~GErrorRef()
    {
        if (e)
            g_error_free(e);
    }
    std::string message() const { return e && e->message ? e->message : "unknown"; }
};

bool startsWith(std::span<const std::uint8_t> bytes, std::initializer_list<std::uint8_t> prefix)
{
    if (bytes.size() < prefix.size())
        return false;
    return std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

bool nameEquals(const char* name, const char* wanted) { return name && g_ascii_strcasecmp(name, wanted) == 0; }

} // namespace

Result<std::vector<std::uint8_t>> readFileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Error::make(ErrorCode::Io, "cannot open " + path.toStdString() + ": " + file.errorString().toStdString());
    const qint64 size = file.size();
    if (size > kMaxFileBytes)
        return Error::make(ErrorCode::TooLarge, "file larger than " + std::to_string(kMaxFileBytes >> 20) + " MiB");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    qint64 done = 0;
    while (done < size) {
        const qint64 n = file.read(reinterpret_cast<char*>(bytes.data()) + done, size - done);
        if (n <= 0)
            return Error::make(ErrorCode::Io, "cannot read " + path.toStdString() + ": " + file.errorString().toStdString());
        done += n;
    }
    return bytes;
}

Result<ContainerContent> readCompoundFile(std::span<const std::uint8_t> fileBytes)
{
    static constexpr std::uint8_t kOleSignature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    if (fileBytes.size() < sizeof kOleSignature || std::memcmp(fileBytes.data(), kOleSignature, sizeof kOleSignature) != 0) {
        if (startsWith(fileBytes, {'P', 'K', 0x03, 0x04}))
            return Error::make(ErrorCode::OfficeOpenXml, "zip container (Office Open XML)");
        // Excel 2-4 wrote the BIFF stream as the whole file, starting with a BOF.
        if (fileBytes.size() >= 4 && fileBytes[0] == 0x09 && (fileBytes[1] == 0x00 || fileBytes[1] == 0x02 || fileBytes[1] == 0x04 || fileBytes[1] == 0x08))
            return Error::make(ErrorCode::UnsupportedVersion, "BIFF stream without compound file (Excel 4 or older)");
        return Error::make(ErrorCode::NotCompoundFile, "no compound file signature");
    }

    ensureGsf();
    GObjectRef<GsfInput> input{gsf_input_memory_new(fileBytes.data(), static_cast<gsf_off_t>(fileBytes.size()), FALSE)};
    if (!input.p)
        return Error::make(ErrorCode::Io, "cannot wrap file in memory");
    GErrorRef err;
    GObjectRef<GsfInfile> ole{gsf_infile_msole_new(input.p, &err.e)};
    if (!ole.p)
        return Error::make(ErrorCode::NotCompoundFile, "damaged compound file: " + err.message());

    ContainerContent content;
    int workbookIndex = -1;
    int bookIndex = -1;
    const int children = gsf_infile_num_children(ole.p);
    for (int i = 0; i < children; ++i) {
        const char* name = gsf_infile_name_by_index(ole.p, i);
        if (nameEquals(name, "Workbook"))
            workbookIndex = i;
        else if (nameEquals(name, "Book"))
            bookIndex = i;
        else if (nameEquals(name, "_VBA_PROJECT_CUR") || nameEquals(name, "_VBA_PROJECT") || nameEquals(name, "Macros"))
            content.hasMacros = true;
        else if (nameEquals(name, "ObjectPool") || nameEquals(name, "MBD"))
            content.hasEmbeddedObjects = true;
    }
    const int streamIndex = workbookIndex >= 0 ? workbookIndex : bookIndex;
    if (streamIndex < 0)
        return Error::make(ErrorCode::MissingWorkbookStream, "compound file without a Workbook stream");

    GObjectRef<GsfInput> stream{gsf_infile_child_by_index(ole.p, streamIndex)};
    if (!stream.p)
        return Error::make(ErrorCode::Corrupt, "Workbook stream cannot be opened");
    const gsf_off_t size = gsf_input_size(stream.p);
    if (size < 0 || static_cast<std::uint64_t>(size) > fileBytes.size())
        return Error::make(ErrorCode::Corrupt, "Workbook stream larger than the file");
    content.workbookStream.resize(static_cast<std::size_t>(size));
    gsf_off_t done = 0;
    while (done < size) {
        const gsf_off_t chunk = std::min<gsf_off_t>(size - done, 1 << 20);
        if (!gsf_input_read(stream.p, static_cast<std::size_t>(chunk), content.workbookStream.data() + done))
            return Error::make(ErrorCode::Corrupt, "Workbook stream truncated", 0, static_cast<std::uint64_t>(done));
        done += chunk;
    }
    return content;
}

Result<std::vector<std::uint8_t>> writeCompoundFile(std::span<const std::uint8_t> workbookStream)
{
    ensureGsf();
    GObjectRef<GsfOutput> sink{gsf_output_memory_new()};
    if (!sink.p)
        return Error::make(ErrorCode::Io, "cannot create memory output");
    GObjectRef<GsfOutfile> ole{gsf_outfile_msole_new(sink.p)};
    if (!ole.p)
        return Error::make(ErrorCode::Io, "cannot create compound file");
    GObjectRef<GsfOutput> child{gsf_outfile_new_child(ole.p, "Workbook", FALSE)};
    if (!child.p)
        return Error::make(ErrorCode::Io, "cannot create Workbook stream");
    std::size_t done = 0;
    while (done < workbookStream.size()) {
        const std::size_t chunk = std::min<std::size_t>(workbookStream.size() - done, 1 << 20);
        if (!gsf_output_write(child.p, chunk, workbookStream.data() + done))
            return Error::make(ErrorCode::Io, "cannot write Workbook stream");
        done += chunk;
    }
    if (!gsf_output_close(child.p) || !gsf_output_close(GSF_OUTPUT(ole.p)))
        return Error::make(ErrorCode::Io, "cannot finish compound file");
    GsfOutputMemory* memory = GSF_OUTPUT_MEMORY(sink.p);
    const guint8* bytes = gsf_output_memory_get_bytes(memory);
    const gsf_off_t size = gsf_output_size(sink.p);
    if (!bytes || size <= 0)
        return Error::make(ErrorCode::Io, "empty compound file");
    return std::vector<std::uint8_t>(bytes, bytes + size);
}

} // namespace quadrilo::xls
