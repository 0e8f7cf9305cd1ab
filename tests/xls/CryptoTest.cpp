// Known-answer tests of the encryption primitives, decryption of genuine
// encrypted workbooks, damaged FILEPASS records and the encryption round trip.

// libgsf first: glib headers use identifiers Qt defines as macros.
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-utils.h>

#include "xls/ByteReader.h"
#include "xls/ByteWriter.h"
#include "xls/Crypto.h"
#include "xls/Encryption.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QString>
#include <QStringList>

#include <array>
#include <bit>
#include <cctype>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quadrilo::xls {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Hex digits to bytes; spaces are ignored.
Bytes fromHex(std::string_view hex)
{
    std::string digits;
    for (char c : hex)
        if (c != ' ')
            digits += c;
    auto nibble = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
    Bytes out;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(nibble(digits[i]) << 4 | nibble(digits[i + 1])));
    return out;
}

std::string toHex(std::span<const std::uint8_t> bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (std::uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

std::span<const std::uint8_t> asBytes(const char* text)
{
    return {reinterpret_cast<const std::uint8_t*>(text), std::strlen(text)};
}

// Record layout helpers for building streams by hand.
void appendRecord(Bytes& stream, std::uint16_t type, std::span<const std::uint8_t> data)
{
    ByteWriter out(stream);
    out.u16(type);
    out.u16(static_cast<std::uint16_t>(data.size()));
    out.bytes(data);
}

Bytes bofData(std::uint16_t dt)
{
    Bytes data;
    ByteWriter out(data);
    out.u16(0x0600);
    out.u16(dt);
    out.u16(0x0DBB);
    out.u16(0x07CC);
    out.u32(0);
    out.u32(6);
    return data;
}

// A stream of one globals BOF, the given FILEPASS data and an EOF.
Bytes streamWithFilePass(std::span<const std::uint8_t> filePass)
{
    Bytes stream;
    appendRecord(stream, 0x0809, bofData(0x0005));
    appendRecord(stream, 0x002F, filePass);
    appendRecord(stream, 0x000A, {});
    return stream;
}

constexpr std::size_t kFilePassOffset = 20;   // after a 16-byte BOF

// ---- Workbook stream of a fixture ---------------------------------------------

Bytes readWorkbookStream(const QString& fileName)
{
    gsf_init();
    const QByteArray path = QStringLiteral(QUADRILO_FIXTURES_DIR "/xls/").toUtf8() + fileName.toUtf8();
    GError* error = nullptr;
    GsfInput* file = gsf_input_stdio_new(path.constData(), &error);
    if (!file) {
        ADD_FAILURE() << "cannot open " << path.constData();
        if (error)
            g_error_free(error);
        return {};
    }
    GsfInfile* ole = gsf_infile_msole_new(file, &error);
    g_object_unref(file);
    if (!ole) {
        ADD_FAILURE() << "not a compound file: " << path.constData();
        if (error)
            g_error_free(error);
        return {};
    }
    Bytes stream;
    if (GsfInput* workbook = gsf_infile_child_by_name(ole, "Workbook")) {
        stream.resize(static_cast<std::size_t>(gsf_input_size(workbook)));
        if (!gsf_input_read(workbook, stream.size(), stream.data()))
            ADD_FAILURE() << "cannot read the Workbook stream of " << path.constData();
        g_object_unref(workbook);
    } else {
        ADD_FAILURE() << "no Workbook stream in " << path.constData();
    }
    g_object_unref(ole);
    return stream;
}

// ---- A small reader of decrypted streams, enough to check the content -------------

struct Record {
    std::uint16_t type;
    std::size_t offset;   // of the header
    std::span<const std::uint8_t> data;
};

// Walks the whole stream; fails the test unless sizes chain exactly to the
// last EOF, with only zero bytes after it.
std::vector<Record> walkRecords(const Bytes& stream)
{
    std::vector<Record> records;
    const std::span<const std::uint8_t> all(stream);
    std::size_t pos = 0;
    int depth = 0;
    while (all.size() - pos >= 4) {
        ByteReader header(all.subspan(pos, 4));
        const std::uint16_t type = header.u16();
        const std::uint16_t size = header.u16();
        if (depth == 0 && !records.empty()) {
            // Between substreams only a BOF or the zero padding may follow.
            if (type == 0 && size == 0)
                break;
            EXPECT_EQ(type, 0x0809) << "at " << pos;
        }
        EXPECT_NE(type, 0) << "at " << pos;
        EXPECT_LT(type, 0x1000) << "at " << pos;
        EXPECT_LE(size, 8224) << "at " << pos;
        if (all.size() - pos - 4 < size) {
            ADD_FAILURE() << "record at " << pos << " runs past the end";
            return records;
        }
        records.push_back({type, pos, all.subspan(pos + 4, size)});
        if (type == 0x0809)
            ++depth;
        if (type == 0x000A)
            --depth;
        pos += 4 + size;
    }
    EXPECT_EQ(depth, 0);
    for (std::size_t i = pos; i < all.size(); ++i) {
        if (all[i] != 0) {
            ADD_FAILURE() << "non-zero byte after the last EOF at " << i;
            break;
        }
    }
    return records;
}

QString readChars(ByteReader& in, std::size_t count, bool highByte)
{
    QString text;
    for (std::size_t i = 0; i < count && !in.failed(); ++i)
        text.append(QChar(highByte ? in.u16() : in.u8()));
    return text;
}

// SST strings, following CONTINUE records with their extra flags byte.
QStringList readSst(const std::vector<Record>& records, std::size_t sstIndex)
{
    std::vector<std::span<const std::uint8_t>> chunks{records[sstIndex].data};
    for (std::size_t i = sstIndex + 1; i < records.size() && records[i].type == 0x003C; ++i)
        chunks.push_back(records[i].data);

    std::size_t chunk = 0;
    std::size_t pos = 0;
    bool failed = false;
    auto atChunkEnd = [&] { return pos == chunks[chunk].size(); };
    auto u8 = [&]() -> std::uint8_t {
        while (!failed && atChunkEnd()) {
            if (++chunk == chunks.size())
                failed = true;
            pos = 0;
        }
        return failed ? 0 : chunks[chunk][pos++];
    };
    auto u16 = [&] { return static_cast<std::uint16_t>(u8() | u8() << 8); };
    auto u32 = [&] { return static_cast<std::uint32_t>(u16() | static_cast<std::uint32_t>(u16()) << 16); };

    QStringList strings;
    u32();
    const std::uint32_t unique = u32();
    for (std::uint32_t s = 0; s < unique && !failed; ++s) {
        const std::uint16_t cch = u16();
        const std::uint8_t flags = u8();
        bool high = flags & 1;
        const std::uint16_t runs = (flags & 8) ? u16() : 0;
        const std::uint32_t ext = (flags & 4) ? u32() : 0;
        QString text;
        for (std::uint16_t c = 0; c < cch && !failed; ++c) {
            if (atChunkEnd() && chunk + 1 < chunks.size()) {
                ++chunk;
                pos = 0;
                high = u8() & 1;
            }
            text.append(QChar(high ? u16() : u8()));
        }
        for (std::uint32_t k = 0; k < runs * 4u + ext; ++k)
            u8();
        strings.append(text);
    }
    EXPECT_FALSE(failed) << "SST runs past its records";
    return strings;
}

double decodeRk(std::uint32_t rk)
{
    double value = (rk & 2) ? static_cast<double>(static_cast<std::int32_t>(rk) >> 2)
                            : std::bit_cast<double>(static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32);
    return (rk & 1) ? value / 100 : value;
}

QString cellName(std::uint16_t row, std::uint16_t col)
{
    QString name;
    if (col >= 26)
        name.append(QChar(u'A' + col / 26 - 1));
    name.append(QChar(u'A' + col % 26));
    return name + QString::number(row + 1);
}

// "Sheet!A1" -> "number:3" / "text:lorem ipsum", for NUMBER, RK, MULRK,
// numeric FORMULA results and LABELSST cells.
struct Content {
    QStringList sheetNames;
    std::map<QString, QString> cells;
    std::uint16_t codePage = 0;        // CODEPAGE (encrypted)
    int interfaceCodePage = -1;   // INTERFACEHDR (left plain), -1 if absent
};

QString numberText(double value)
{
    return QStringLiteral("number:") + QString::number(value, 'g', 17);
}

Content readContent(const Bytes& stream)
{
    Content content;
    const std::vector<Record> records = walkRecords(stream);
    QStringList sst;
    std::map<std::size_t, QString> sheetAt;   // BOF offset -> sheet name
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Record& r = records[i];
        ByteReader in(r.data);
        if (r.type == 0x0042) {
            content.codePage = in.u16();
        } else if (r.type == 0x00E1 && r.data.size() == 2) {
            content.interfaceCodePage = in.u16();
        } else if (r.type == 0x0085) {
            const std::uint32_t bof = in.u32();
            in.skip(2);
            const std::uint8_t cch = in.u8();
            const bool high = in.u8() & 1;
            const QString name = readChars(in, cch, high);
            EXPECT_FALSE(in.failed()) << "BOUNDSHEET8 at " << r.offset;
            EXPECT_EQ(in.remaining(), 0u) << "BOUNDSHEET8 at " << r.offset;
            content.sheetNames.append(name);
            sheetAt[bof] = name;
        } else if (r.type == 0x00FC) {
            sst = readSst(records, i);
        }
    }

    QString sheet;
    for (const Record& r : records) {
        if (r.type == 0x0809) {
            auto it = sheetAt.find(r.offset);
            if (it != sheetAt.end())
                sheet = it->second;
            continue;
        }
        if (sheet.isEmpty())
            continue;
        ByteReader in(r.data);
        const std::uint16_t row = in.u16();
        const std::uint16_t col = in.u16();
        auto put = [&](std::uint16_t c, QString value) { content.cells[sheet + u'!' + cellName(row, c)] = value; };
        switch (r.type) {
        case 0x0203: // NUMBER
            in.skip(2);
            put(col, numberText(in.f64()));
            break;
        case 0x027E: // RK
            in.skip(2);
            put(col, numberText(decodeRk(in.u32())));
            break;
        case 0x00BD: // MULRK
            for (std::uint16_t c = col; in.remaining() > 2; ++c) {
                in.skip(2);
                put(c, numberText(decodeRk(in.u32())));
            }
            break;
        case 0x0006: { // FORMULA
            in.skip(2);
            const auto result = in.bytes(8);
            if (!in.failed() && !(result[6] == 0xFF && result[7] == 0xFF))
                put(col, numberText(ByteReader(result).f64()));
            break;
        }
        case 0x00FD: { // LABELSST
            in.skip(2);
            const std::uint32_t index = in.u32();
            put(col, QStringLiteral("text:") + (index < static_cast<std::uint32_t>(sst.size()) ? sst.at(index) : QStringLiteral("?")));
            break;
        }
        default:
            break;
        }
    }
    return content;
}

// The text and number cells of NAME.xls.expected.tsv, in readContent's form.
std::map<QString, QString> expectedCells(const QString& fileName)
{
    QFile file(QStringLiteral(QUADRILO_FIXTURES_DIR "/xls/") + fileName + QStringLiteral(".expected.tsv"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << fileName.toStdString();
    std::map<QString, QString> cells;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        const QStringList f = line.split(u'\t');
        if (f.size() != 4)
            continue;
        QString value = f[3];
        value.replace(QStringLiteral("\\t"), QStringLiteral("\t"))
            .replace(QStringLiteral("\\n"), QStringLiteral("\n"))
            .replace(QStringLiteral("\\r"), QStringLiteral("\r"))
            .replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
        if (f[2] == QStringLiteral("text"))
            cells[f[0] + u'!' + f[1]] = QStringLiteral("text:") + value;
        else if (f[2] == QStringLiteral("number"))
            cells[f[0] + u'!' + f[1]] = numberText(value.toDouble());
    }
    return cells;
}

// Header offset of the FILEPASS in the globals substream (Excel 2002 puts
// WRITEPROT before it).
std::size_t filePassOffsetOf(const Bytes& stream)
{
    ByteReader in(stream);
    while (in.remaining() >= 4) {
        const std::size_t offset = in.position();
        const std::uint16_t type = in.u16();
        const std::uint16_t size = in.u16();
        if (type == 0x002F)
            return offset;
        if (type == 0x000A)
            break;
        in.skip(size);
    }
    ADD_FAILURE() << "no FILEPASS";
    return 0;
}

// ============================================================================
// XOR obfuscation
// ============================================================================

TEST(XorObfuscation, KeyVerifierAndArrayOfKnownPasswords)
{
    struct Row {
        const char* password;
        std::uint16_t key;
        std::uint16_t verifier;
        const char* array;
    };
    const Row rows[] = {
        {"123456789012345", 0x8265, 0x9EB1, "2a582b5b285a295d2e592a582b5b289c"},
        {"abc", 0x514A, 0xCC1A, "95999475da577857da7465a87a2f2577"},
        {"password", 0x147A, 0x83AF, "05ba84b386bd0438e0f5c257c2f5e14a"},
        {"VelvetSweatshop", 0xB359, 0x9A0A, "876b9ae21ee305621e699660986e9404"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.password);
        const auto password = asBytes(row.password);
        EXPECT_EQ(crypto::xorKey(password), row.key);
        EXPECT_EQ(crypto::xorVerifier(password), row.verifier);
        EXPECT_EQ(toHex(crypto::xorArray(password, row.key)), row.array);
    }
    EXPECT_EQ(crypto::xorVerifier(asBytes("abcdefghij")), 0xFEF1);
}

TEST(XorObfuscation, PasswordBytesAreLowBytesCutAtFifteen)
{
    EXPECT_EQ(crypto::xorPasswordBytes(QStringLiteral("pässword")), fromHex("70e47373776f7264"));
    EXPECT_EQ(crypto::xorPasswordBytes(QStringLiteral("\u0141x")), fromHex("4178"));   // U+0141 -> 0x41
    EXPECT_EQ(crypto::xorPasswordBytes(QStringLiteral("123456789012345678")), Bytes(asBytes("123456789012345").begin(), asBytes("123456789012345").end()));
    EXPECT_TRUE(crypto::xorPasswordBytes(QString()).empty());
    EXPECT_EQ(crypto::xorKey({}), 0);
    EXPECT_EQ(crypto::xorVerifier({}), 0);
}

TEST(XorObfuscation, RecordIndexStartsAtOffsetPlusSizeAndCountsPlainBytes)
{
    const auto array = crypto::xorArray(asBytes("password"), 0x147A);
    // A BOUNDSHEET8 whose data starts at 1374 and holds 11 bytes starts at index 9.
    const Bytes plain = fromHex("0a0b0c0d000006536865");
    Bytes data = plain;
    data.push_back(0x65);
    const Bytes full = data;
    crypto::xorEncodeRecord(data, 1374, data.size(), 4, array);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(data[i], full[i]) << i;
    for (std::size_t i = 4; i < data.size(); ++i) {
        const std::uint8_t p = full[i];
        const auto expected = static_cast<std::uint8_t>(((p << 5) | (p >> 3)) ^ array[(9 + i) % 16]);
        EXPECT_EQ(data[i], expected) << i;
    }
    crypto::xorDecodeRecord(data, 1374, data.size(), 4, array);
    EXPECT_EQ(data, full);

    // A cut record keeps the index of its declared size.
    Bytes cut(full.begin(), full.begin() + 6);
    crypto::xorEncodeRecord(cut, 1374, 11, 0, array);
    Bytes whole = full;
    crypto::xorEncodeRecord(whole, 1374, 11, 0, array);
    EXPECT_EQ(cut, Bytes(whole.begin(), whole.begin() + 6));
}

// ============================================================================
// RC4 standard (MD5)
// ============================================================================

TEST(Rc4Standard, KnownAnswers)
{
    const Bytes password = crypto::rc4PasswordBytes(QStringLiteral("password"));
    EXPECT_EQ(toHex(password), "700061007300730077006f0072006400");
    EXPECT_EQ(toHex(crypto::md5(password)), "b081dbe85e1ec3ffc3d4e7d0227400cd");

    crypto::Salt salt;
    for (std::size_t i = 0; i < salt.size(); ++i)
        salt[i] = static_cast<std::uint8_t>(i);
    const crypto::Md5Digest h1 = crypto::rc4StandardIntermediateKey(password, salt);
    EXPECT_EQ(toHex(h1), "67616b45c652d004620032c36d844744");
    EXPECT_EQ(toHex(crypto::rc4StandardBlockKey(h1, 0)), "d17084ef80dfaade760e9be2fe9b8d19");
    EXPECT_EQ(toHex(crypto::rc4StandardBlockKey(h1, 1)), "0d3ec553cde81b8881f25b9ef8b1bb61");

    // Verifier 10..1f and its MD5, encrypted as one RC4 run.
    Bytes sealed;
    for (std::uint8_t b = 0x10; b < 0x20; ++b)
        sealed.push_back(b);
    const auto hash = crypto::md5(sealed);
    sealed.insert(sealed.end(), hash.begin(), hash.end());
    crypto::Rc4BlockCipher(crypto::Rc4Variant::Standard, h1).apply(sealed, 0);
    EXPECT_EQ(toHex(std::span(sealed).first(16)), "0467c1fcedec5020bd3253fa0f8a18ff");
    EXPECT_EQ(toHex(std::span(sealed).subspan(16)), "0cc6e5eaa1001489dfd93c5e29024295");

    const std::span<const std::uint8_t, 16> verifier(sealed.data(), 16);
    const std::span<const std::uint8_t, 16> verifierHash(sealed.data() + 16, 16);
    EXPECT_TRUE(crypto::rc4StandardCheckVerifier(h1, verifier, verifierHash));
    sealed[31] ^= 1;
    EXPECT_FALSE(crypto::rc4StandardCheckVerifier(h1, verifier, verifierHash));
    const auto otherH1 = crypto::rc4StandardIntermediateKey(crypto::rc4PasswordBytes(QStringLiteral("Password")), salt);
    sealed[31] ^= 1;
    EXPECT_FALSE(crypto::rc4StandardCheckVerifier(otherH1, verifier, verifierHash));
}

TEST(Rc4Standard, PasswordIsUtf16CutAt255Units)
{
    EXPECT_EQ(toHex(crypto::rc4PasswordBytes(QStringLiteral("Лі€"))), "1b045604ac20");
    EXPECT_EQ(crypto::rc4PasswordBytes(QString(300, u'x')).size(), 510u);
    EXPECT_TRUE(crypto::rc4PasswordBytes(QString()).empty());
}

// ============================================================================
// RC4 CryptoAPI (SHA-1): the genuine Mac Excel file
// ============================================================================

const char* const kMacSalt = "ff6b27f7b025eb08a8aca2c4477cc064";
const char* const kMacVerifier = "b948eea818830e56ce56a60c822e7cb3";
const char* const kMacVerifierHash = "55bb40447d2bae6b938d9ff54366053628abc435";

crypto::Sha1Digest macExcelBaseHash()
{
    crypto::Salt salt;
    const Bytes bytes = fromHex(kMacSalt);
    std::copy(bytes.begin(), bytes.end(), salt.begin());
    return crypto::cryptoApiBaseHash(salt, crypto::rc4PasswordBytes(QStringLiteral("Password1234_")));
}

TEST(Rc4CryptoApi, KeysOfTheMacExcelFile)
{
    const auto h0 = macExcelBaseHash();
    EXPECT_EQ(toHex(h0), "ad996d64cd2f9d9327d45e43e7bb04d7d6ef3980");
    EXPECT_EQ(toHex(crypto::cryptoApiBlockKey(h0, 0, 128)), "ab4badcd39e1cbda31743a76f5eca30e");
    EXPECT_EQ(toHex(crypto::cryptoApiBlockKey(h0, 1, 128)), "6aa09e6785796b5eb4c122dbe6ce77e9");
    // 40 bits: five key bytes padded with eleven zeros; other sizes are not padded.
    EXPECT_EQ(toHex(crypto::cryptoApiBlockKey(h0, 0, 40)), "ab4badcd390000000000000000000000");
    EXPECT_EQ(toHex(crypto::cryptoApiBlockKey(h0, 0, 56)), "ab4badcd39e1cb");
}

TEST(Rc4CryptoApi, VerifierAndKeyStreamOfTheMacExcelFile)
{
    const auto h0 = macExcelBaseHash();
    Bytes sealed = fromHex(kMacVerifier);
    const Bytes hash = fromHex(kMacVerifierHash);
    sealed.insert(sealed.end(), hash.begin(), hash.end());
    const std::span<const std::uint8_t, 16> verifier(sealed.data(), 16);
    const std::span<const std::uint8_t, 20> verifierHash(sealed.data() + 16, 20);
    EXPECT_TRUE(crypto::cryptoApiCheckVerifier(h0, 128, verifier, verifierHash));
    EXPECT_FALSE(crypto::cryptoApiCheckVerifier(h0, 40, verifier, verifierHash));
    sealed[20] ^= 0x80;
    EXPECT_FALSE(crypto::cryptoApiCheckVerifier(h0, 128, verifier, verifierHash));
    sealed[20] ^= 0x80;

    Bytes plain = sealed;
    crypto::Rc4BlockCipher(crypto::Rc4Variant::CryptoApi, h0).apply(plain, 0);
    EXPECT_EQ(toHex(std::span(plain).first(16)), "ca9ab4ecc9a2bd1c8e959c8ce0b38e8f");
    EXPECT_EQ(toHex(crypto::sha1(std::span(plain).first(16))), toHex(std::span(plain).subspan(16)));

    Bytes keyStream(2048, 0);
    crypto::Rc4BlockCipher(crypto::Rc4Variant::CryptoApi, h0).apply(keyStream, 0);
    EXPECT_EQ(toHex(std::span(keyStream).first(4)), "73d25a44");
    EXPECT_EQ(toHex(std::span(keyStream).subspan(234, 2)), "6286");
    EXPECT_EQ(keyStream[1023], 0x90);
    EXPECT_EQ(toHex(std::span(keyStream).subspan(1024, 2)), "4feb");
}

TEST(Rc4BlockCipher, KeyStreamDependsOnlyOnAbsoluteOffset)
{
    const auto h0 = macExcelBaseHash();
    Bytes whole(5000, 0);
    crypto::Rc4BlockCipher(crypto::Rc4Variant::CryptoApi, h0).apply(whole, 0);

    // Pieces in any order, crossing block ends, with one cipher object.
    crypto::Rc4BlockCipher cipher(crypto::Rc4Variant::CryptoApi, h0);
    const std::pair<std::size_t, std::size_t> pieces[] = {{3000, 2000}, {1020, 10}, {0, 7}, {1030, 1970}, {7, 1013}};
    Bytes pieced(5000, 0);
    for (auto [offset, length] : pieces)
        cipher.apply(std::span(pieced).subspan(offset, length), offset);
    EXPECT_EQ(pieced, whole);

    // A moved cipher carries on from where it was.
    crypto::Rc4BlockCipher moved = std::move(cipher);
    Bytes tail(4, 0);
    moved.apply(tail, 4996);
    EXPECT_EQ(tail, Bytes(whole.begin() + 4996, whole.end()));
}

// ============================================================================
// Decryption of genuine encrypted workbooks
// ============================================================================

struct FixtureCase {
    const char* file;
    std::vector<QString> passwords;
    const char* matched;
    EncryptionScheme scheme;
    QStringList sheets;
};

void PrintTo(const FixtureCase& c, std::ostream* os)
{
    *os << c.file;
}

class EncryptedFixture : public testing::TestWithParam<FixtureCase> {};

TEST_P(EncryptedFixture, DecryptsToTheExpectedContent)
{
    const FixtureCase& c = GetParam();
    Bytes stream = readWorkbookStream(QString::fromUtf8(c.file));
    ASSERT_FALSE(stream.empty());
    const Bytes original = stream;
    const std::size_t filePassOffset = filePassOffsetOf(stream);

    auto outcome = decryptWorkbookStream(stream, filePassOffset, c.passwords);
    ASSERT_TRUE(outcome.ok()) << outcome.error().detail;
    EXPECT_EQ(outcome->scheme, c.scheme);
    EXPECT_EQ(outcome->password, QString::fromUtf8(c.matched));
    EXPECT_EQ(stream.size(), original.size());
    EXPECT_NE(stream, original);
    const std::size_t afterFilePass = filePassOffset + 4 + ByteReader(std::span(original).subspan(filePassOffset + 2, 2)).u16();
    EXPECT_TRUE(std::equal(original.begin(), original.begin() + static_cast<std::ptrdiff_t>(afterFilePass), stream.begin()))
        << "everything up to the end of FILEPASS stays as it was";

    const Content content = readContent(stream);
    EXPECT_EQ(content.codePage, 1200);
    if (content.interfaceCodePage != -1) {
        EXPECT_EQ(content.interfaceCodePage, 1200);
    }
    EXPECT_EQ(content.sheetNames, c.sheets);
    for (const auto& [cell, value] : expectedCells(QString::fromUtf8(c.file))) {
        auto it = content.cells.find(cell);
        ASSERT_NE(it, content.cells.end()) << cell.toStdString();
        EXPECT_EQ(it->second, value) << cell.toStdString();
    }
}

const QString kPassword = QStringLiteral("password");

INSTANTIATE_TEST_SUITE_P(
    Fixtures, EncryptedFixture,
    testing::Values(
        FixtureCase{"rc4-cryptoapi-128bit-macexcel.xls", {QStringLiteral("Password1234_")}, "Password1234_",
                    EncryptionScheme::Rc4CryptoApi, {QStringLiteral("Sheet1")}},
        FixtureCase{"rc4-cryptoapi-40bit-excel2002.xls", {QStringLiteral("wrong"), kPassword}, "password",
                    EncryptionScheme::Rc4CryptoApi,
                    {QStringLiteral("Sheet1"), QStringLiteral("Sheet2"), QStringLiteral("Sheet3")}},
        FixtureCase{"rc4-standard-pwtest2.xls", {QStringLiteral("pwtest2")}, "pwtest2", EncryptionScheme::Rc4,
                    {QStringLiteral("Sheet1")}},
        FixtureCase{"rc4-standard-excel-cyrillic-sheets.xls", {kPassword}, "password", EncryptionScheme::Rc4,
                    {QStringLiteral("Лист1"), QStringLiteral("Лист2"), QStringLiteral("Лист3")}},
        FixtureCase{"rc4-standard-default-password.xls", {QStringLiteral("Mora4715"), kDefaultExcelPassword},
                    "VelvetSweatshop", EncryptionScheme::Rc4, {QStringLiteral("Sheet1")}},
        FixtureCase{"xor-excel2002.xls", {kPassword}, "password", EncryptionScheme::Xor,
                    {QStringLiteral("Sheet1"), QStringLiteral("Sheet2"), QStringLiteral("Sheet3")}}),
    [](const testing::TestParamInfo<FixtureCase>& info) {
        std::string name;
        for (const char* p = info.param.file; *p && *p != '.'; ++p)
            name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name;
    });

TEST(EncryptedFixtures, MacExcelFilePassAndMmsRecord)
{
    Bytes stream = readWorkbookStream(QStringLiteral("rc4-cryptoapi-128bit-macexcel.xls"));
    ASSERT_GT(stream.size(), 240u);
    const std::size_t offset = filePassOffsetOf(stream);
    const auto filePass = std::span<const std::uint8_t>(stream).subspan(offset + 4, 200);
    EXPECT_EQ(toHex(filePass.first(46)),
              "0100040002000c0000007e0000000c0000000000000001680000048000008000000001000000000000000000"
              "0000");
    EXPECT_EQ(toHex(filePass.subspan(144, 16)), kMacSalt);
    EXPECT_EQ(toHex(filePass.subspan(160, 16)), kMacVerifier);
    EXPECT_EQ(toHex(filePass.subspan(180, 20)), kMacVerifierHash);

    // The MMS record data at 234 is stored as 62 86 and decrypts to zeros.
    EXPECT_EQ(toHex(std::span(stream).subspan(230, 6)), "c10002006286");
    ASSERT_TRUE(decryptWorkbookStream(stream, offset, {QStringLiteral("Password1234_")}).ok());
    EXPECT_EQ(toHex(std::span(stream).subspan(230, 6)), "c10002000000");
}

TEST(EncryptedFixtures, WrongPasswordLeavesTheStreamAlone)
{
    for (const char* file : {"rc4-cryptoapi-128bit-macexcel.xls", "rc4-cryptoapi-40bit-excel2002.xls",
                             "rc4-standard-pwtest2.xls", "rc4-standard-default-password.xls", "xor-excel2002.xls"}) {
        SCOPED_TRACE(file);
        Bytes stream = readWorkbookStream(QString::fromUtf8(file));
        ASSERT_FALSE(stream.empty());
        const Bytes original = stream;
        auto outcome = decryptWorkbookStream(stream, filePassOffsetOf(stream),
                                             {QStringLiteral("Password"), QStringLiteral("pässword"), QString()});
        ASSERT_FALSE(outcome.ok());
        EXPECT_EQ(outcome.error().code, ErrorCode::WrongPassword);
        EXPECT_EQ(stream, original);

        EXPECT_EQ(decryptWorkbookStream(stream, filePassOffsetOf(stream), {}).error().code, ErrorCode::WrongPassword);
    }
}

// ============================================================================
// Damaged and unknown FILEPASS records
// ============================================================================

ErrorCode decryptError(Bytes stream, std::size_t offset = kFilePassOffset)
{
    auto outcome = decryptWorkbookStream(stream, offset, {kPassword});
    EXPECT_FALSE(outcome.ok());
    return outcome.ok() ? ErrorCode::Io : outcome.error().code;
}

Bytes writerFilePass()
{
    std::uint8_t next = 0;
    StreamEncryptor encryptor(kPassword, [&next](std::span<std::uint8_t> out) {
        for (auto& b : out)
            b = next++;
    });
    return encryptor.filePassData();
}

TEST(FilePass, UnknownSchemesAreUnsupported)
{
    EXPECT_EQ(decryptError(streamWithFilePass(fromHex("0200 0000 0000"))), ErrorCode::UnsupportedEncryption);
    EXPECT_EQ(decryptError(streamWithFilePass(fromHex("ffff 0000 0000"))), ErrorCode::UnsupportedEncryption);

    Bytes standard = fromHex("0100 0100 0100");
    standard.resize(54);
    for (const char* version : {"0100 0200", "0200 0100", "0500 0200", "0300 0300", "0400 0400", "0000 0000"}) {
        Bytes data = standard;
        const Bytes v = fromHex(version);
        std::copy(v.begin(), v.end(), data.begin() + 2);
        EXPECT_EQ(decryptError(streamWithFilePass(data)), ErrorCode::UnsupportedEncryption) << version;
    }

    // CryptoAPI header fields: flags (AES, external), cipher, hash, key size.
    const Bytes good = writerFilePass();
    auto patched = [&good](std::size_t at, std::uint32_t value) {
        Bytes data = good;
        ByteWriter(data).patchU32(at, value);
        return streamWithFilePass(data);
    };
    EXPECT_EQ(decryptError(patched(14, 0x24)), ErrorCode::UnsupportedEncryption);      // fAES
    EXPECT_EQ(decryptError(patched(14, 0x1C)), ErrorCode::UnsupportedEncryption);      // fExternal
    EXPECT_EQ(decryptError(patched(22, 0x660E)), ErrorCode::UnsupportedEncryption);    // AES-128
    EXPECT_EQ(decryptError(patched(26, 0x8003)), ErrorCode::UnsupportedEncryption);    // MD5
    for (std::uint32_t bits : {8u, 32u, 36u, 44u, 136u, 256u})
        EXPECT_EQ(decryptError(patched(30, bits)), ErrorCode::UnsupportedEncryption) << bits;
    // Valid key sizes only change the key: the password no longer matches.
    for (std::uint32_t bits : {0u, 40u, 64u, 120u})
        EXPECT_EQ(decryptError(patched(30, bits)), ErrorCode::WrongPassword) << bits;
}

TEST(FilePass, InconsistentCryptoApiHeaderIsCorrupt)
{
    const Bytes good = writerFilePass();
    auto patched = [&good](std::size_t at, std::uint32_t value) {
        Bytes data = good;
        ByteWriter(data).patchU32(at, value);
        return streamWithFilePass(data);
    };
    EXPECT_EQ(decryptError(patched(10, 200)), ErrorCode::Corrupt);           // header beyond the record
    EXPECT_EQ(decryptError(patched(10, 0xFFFFFFFF)), ErrorCode::Corrupt);
    EXPECT_EQ(decryptError(patched(10, 16)), ErrorCode::Corrupt);            // shorter than its fixed fields
    EXPECT_EQ(decryptError(patched(140, 15)), ErrorCode::Corrupt);           // salt size
    EXPECT_EQ(decryptError(patched(140, 20)), ErrorCode::Corrupt);
    EXPECT_EQ(decryptError(patched(176, 16)), ErrorCode::Corrupt);           // verifier hash size
    EXPECT_EQ(decryptError(patched(176, 32)), ErrorCode::Corrupt);
}

TEST(FilePass, EveryTruncationIsCorrupt)
{
    const Bytes xorPass = fromHex("0000 7a14 af83");
    Bytes standard = fromHex("0100 0100 0100");
    standard.resize(54);
    for (const Bytes& full : {xorPass, standard, writerFilePass()}) {
        for (std::size_t length = 0; length < full.size(); ++length) {
            const Bytes data(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(length));
            EXPECT_EQ(decryptError(streamWithFilePass(data)), ErrorCode::Corrupt) << full.size() << " cut at " << length;
        }
    }

    // The record header claims more than the stream holds.
    Bytes stream = streamWithFilePass(writerFilePass());
    stream.resize(kFilePassOffset + 4 + 150);
    EXPECT_EQ(decryptError(stream), ErrorCode::Corrupt);
    stream.resize(kFilePassOffset + 3);
    EXPECT_EQ(decryptError(stream), ErrorCode::Corrupt);
}

TEST(FilePass, OffsetMustPointAtAFilePass)
{
    const Bytes stream = streamWithFilePass(writerFilePass());
    EXPECT_EQ(decryptError(stream, 0), ErrorCode::Corrupt);                  // the BOF
    EXPECT_EQ(decryptError(stream, stream.size()), ErrorCode::Corrupt);
    EXPECT_EQ(decryptError(stream, stream.size() + 100), ErrorCode::Corrupt);
}

// ============================================================================
// Encryption round trip
// ============================================================================

RandomSource countingRandom(std::uint8_t start)
{
    return [start](std::span<std::uint8_t> out) mutable {
        for (auto& b : out)
            b = start++;
    };
}

struct PlainWorkbook {
    Bytes stream;
    std::size_t boundSheet = 0;   // header offsets
    std::size_t interfaceHdr = 0;
    std::size_t sheetBof = 0;
    std::size_t longRecord = 0;
};

// Globals with FILEPASS, INTERFACEHDR, CODEPAGE, a record across the first
// 1024-byte boundary, BOUNDSHEET8 and a sheet substream with a CONTINUE.
PlainWorkbook plainWorkbook(std::span<const std::uint8_t> filePass)
{
    PlainWorkbook w;
    Bytes& s = w.stream;
    appendRecord(s, 0x0809, bofData(0x0005));
    appendRecord(s, 0x002F, filePass);
    w.interfaceHdr = s.size();
    appendRecord(s, 0x00E1, fromHex("b004"));
    appendRecord(s, 0x0042, fromHex("b004"));
    w.longRecord = s.size();
    Bytes filler(900);
    for (std::size_t i = 0; i < filler.size(); ++i)
        filler[i] = static_cast<std::uint8_t>(i * 7);
    appendRecord(s, 0x00FC, filler);
    w.boundSheet = s.size();
    appendRecord(s, 0x0085, fromHex("00000000 0000 0600 536865657431"));
    appendRecord(s, 0x000A, {});
    w.sheetBof = s.size();
    ByteWriter(s).patchU32(w.boundSheet + 4, static_cast<std::uint32_t>(w.sheetBof));
    appendRecord(s, 0x0809, bofData(0x0010));
    appendRecord(s, 0x0203, fromHex("0000 0000 0f00 000000000000f03f"));
    appendRecord(s, 0x003C, fromHex("0102030405"));
    appendRecord(s, 0x000A, {});
    return w;
}

TEST(StreamEncryptor, FilePassLayout)
{
    const StreamEncryptor encryptor(kPassword, countingRandom(0x40));
    const Bytes& f = encryptor.filePassData();
    ASSERT_EQ(f.size(), 200u);
    EXPECT_EQ(toHex(std::span(f).first(46)),
              "0100040002000c0000007e0000000c0000000000000001680000048000008000000001000000000000000000"
              "0000");
    ByteReader csp(std::span<const std::uint8_t>(f).subspan(46, 94));
    EXPECT_EQ(readChars(csp, 47, true), QStringLiteral("Microsoft Enhanced Cryptographic Provider v1.0") + QChar(0));
    EXPECT_EQ(toHex(std::span(f).subspan(140, 4)), "10000000");
    EXPECT_EQ(toHex(std::span(f).subspan(144, 16)), "404142434445464748494a4b4c4d4e4f");   // first random bytes
    EXPECT_EQ(toHex(std::span(f).subspan(176, 4)), "14000000");

    // The encrypted verifier is the next 16 random bytes under key(0).
    crypto::Salt salt;
    std::copy_n(f.begin() + 144, 16, salt.begin());
    const auto h0 = crypto::cryptoApiBaseHash(salt, crypto::rc4PasswordBytes(kPassword));
    Bytes verifier(f.begin() + 160, f.begin() + 176);
    crypto::Rc4BlockCipher(crypto::Rc4Variant::CryptoApi, h0).apply(verifier, 0);
    EXPECT_EQ(toHex(verifier), "505152535455565758595a5b5c5d5e5f");
    EXPECT_TRUE(crypto::cryptoApiCheckVerifier(h0, 128, std::span<const std::uint8_t, 16>(f.data() + 160, 16),
                                               std::span<const std::uint8_t, 20>(f.data() + 180, 20)));
}

TEST(StreamEncryptor, RoundTripKeepsHeadersAndPlainFields)
{
    const StreamEncryptor encryptor(kPassword, countingRandom(1));
    const PlainWorkbook w = plainWorkbook(encryptor.filePassData());
    ASSERT_GT(w.stream.size(), 1100u);
    Bytes stream = w.stream;
    ASSERT_TRUE(encryptor.encrypt(stream).ok());
    ASSERT_EQ(stream.size(), w.stream.size());

    // Everything up to the end of FILEPASS, all headers, INTERFACEHDR, the
    // sheet BOF and lbPlyPos stay; all other data changes.
    const std::size_t afterFilePass = kFilePassOffset + 4 + 200;
    EXPECT_TRUE(std::equal(w.stream.begin(), w.stream.begin() + afterFilePass, stream.begin()));
    for (const Record& r : walkRecords(w.stream)) {
        if (r.offset < afterFilePass)
            continue;
        SCOPED_TRACE(r.offset);
        EXPECT_EQ(stream[r.offset], w.stream[r.offset]);
        EXPECT_EQ(std::memcmp(stream.data() + r.offset, w.stream.data() + r.offset, 4), 0);
        const std::size_t plain = r.type == 0x00E1 || r.type == 0x0809 ? r.data.size() : r.type == 0x0085 ? 4 : 0;
        const std::size_t at = r.offset + 4;
        EXPECT_EQ(std::memcmp(stream.data() + at, w.stream.data() + at, plain), 0);
        std::size_t changed = 0;
        for (std::size_t i = plain; i < r.data.size(); ++i)
            changed += stream[at + i] != w.stream[at + i];
        EXPECT_GE(changed + 8, r.data.size() - plain);   // a byte may encrypt to itself by chance
        if (r.data.size() > plain) {
            EXPECT_GT(changed, 0u);
        }
    }

    Bytes decrypted = stream;
    auto outcome = decryptWorkbookStream(decrypted, kFilePassOffset, {QStringLiteral("nope"), kPassword});
    ASSERT_TRUE(outcome.ok()) << outcome.error().detail;
    EXPECT_EQ(outcome->scheme, EncryptionScheme::Rc4CryptoApi);
    EXPECT_EQ(outcome->password, kPassword);
    EXPECT_EQ(decrypted, w.stream);

    Bytes wrong = stream;
    EXPECT_EQ(decryptWorkbookStream(wrong, kFilePassOffset, {QStringLiteral("Password")}).error().code,
              ErrorCode::WrongPassword);
}

TEST(StreamEncryptor, SameRandomGivesSameBytes)
{
    auto encrypted = [](RandomSource random, const QString& password) {
        const StreamEncryptor encryptor(password, random);
        Bytes stream = plainWorkbook(encryptor.filePassData()).stream;
        EXPECT_TRUE(encryptor.encrypt(stream).ok());
        return stream;
    };
    const Bytes first = encrypted(countingRandom(7), kPassword);
    EXPECT_EQ(encrypted(countingRandom(7), kPassword), first);
    EXPECT_NE(encrypted(countingRandom(8), kPassword), first);
    EXPECT_NE(encrypted(countingRandom(7), QStringLiteral("passwort")), first);
}

TEST(StreamEncryptor, CutRecordsAndPaddingAtTheEnd)
{
    const StreamEncryptor encryptor(kPassword, countingRandom(3));
    Bytes plain = plainWorkbook(encryptor.filePassData()).stream;
    plain.insert(plain.end(), 4096 - plain.size() % 4096, 0);   // zero padding, as Excel pads
    const std::size_t padded = plain.size();
    // Then a record whose header claims 100 bytes of which only 10 exist.
    appendRecord(plain, 0x0204, Bytes(100, 0x55));
    plain.resize(padded + 4 + 10);

    Bytes stream = plain;
    ASSERT_TRUE(encryptor.encrypt(stream).ok());
    EXPECT_TRUE(std::all_of(stream.begin() + padded - 100, stream.begin() + padded, [](std::uint8_t b) { return b == 0; }));
    EXPECT_NE(Bytes(stream.begin() + padded + 4, stream.end()), Bytes(10, 0x55));
    ASSERT_TRUE(decryptWorkbookStream(stream, kFilePassOffset, {kPassword}).ok());
    EXPECT_EQ(stream, plain);

    // One to three stray bytes after the last record.
    for (std::size_t extra = 1; extra < 4; ++extra) {
        Bytes odd = plainWorkbook(encryptor.filePassData()).stream;
        odd.insert(odd.end(), extra, 0xAB);
        const Bytes expected = odd;
        ASSERT_TRUE(encryptor.encrypt(odd).ok());
        EXPECT_TRUE(std::equal(odd.end() - static_cast<std::ptrdiff_t>(extra), odd.end(), expected.end() - static_cast<std::ptrdiff_t>(extra)));
        ASSERT_TRUE(decryptWorkbookStream(odd, kFilePassOffset, {kPassword}).ok());
        EXPECT_EQ(odd, expected);
    }
}

TEST(StreamEncryptor, ALargeStreamIsEncryptedInPartsAsByOneCipher)
{
    const StreamEncryptor encryptor(kPassword, countingRandom(9));
    Bytes plain = plainWorkbook(encryptor.filePassData()).stream;
    // Records of every size up to the largest, so that parts start anywhere in a block.
    for (std::size_t i = 0; plain.size() < 3 * 1024 * 1024; ++i) {
        Bytes data((i * 977) % 8225);
        for (std::size_t j = 0; j < data.size(); ++j)
            data[j] = static_cast<std::uint8_t>(i + j * 31);
        appendRecord(plain, i % 5 == 0 ? 0x003C : 0x00FD, data);
    }
    appendRecord(plain, 0x0204, Bytes(100, 0x55));
    plain.resize(plain.size() - 60);  // the last record cut short

    Bytes stream = plain;
    ASSERT_TRUE(encryptor.encrypt(stream).ok());

    // The same records through one cipher, front to back.
    const Bytes& filePass = encryptor.filePassData();
    crypto::Salt salt;
    std::copy_n(filePass.begin() + 144, 16, salt.begin());
    crypto::Rc4BlockCipher one(crypto::Rc4Variant::CryptoApi, crypto::cryptoApiBaseHash(salt, crypto::rc4PasswordBytes(kPassword)));
    Bytes expected = plain;
    for (std::size_t pos = kFilePassOffset + 4 + filePass.size(); pos + 4 <= expected.size();) {
        const std::uint16_t type = expected[pos] | expected[pos + 1] << 8;
        const std::size_t size = expected[pos + 2] | expected[pos + 3] << 8;
        const std::size_t plainBytes = type == 0x00E1 || type == 0x0809 ? size : type == 0x0085 ? 4 : 0;
        const std::size_t available = std::min(size, expected.size() - pos - 4);
        if (plainBytes < available)
            one.apply(std::span(expected).subspan(pos + 4 + plainBytes, available - plainBytes), pos + 4 + plainBytes);
        pos += 4 + size;
    }
    EXPECT_TRUE(stream == expected);

    ASSERT_TRUE(decryptWorkbookStream(stream, kFilePassOffset, {kPassword}).ok());
    EXPECT_TRUE(stream == plain);
}

TEST(StreamEncryptor, RejectsStreamsWithoutItsFilePass)
{
    const StreamEncryptor encryptor(kPassword, countingRandom(0));
    const Bytes good = plainWorkbook(encryptor.filePassData()).stream;

    Bytes noBof(good.begin() + 20, good.end());
    EXPECT_EQ(encryptor.encrypt(noBof).error().code, ErrorCode::InvalidContent);

    Bytes sheetBof = good;
    sheetBof[6] = 0x10;   // BOF dt: worksheet
    EXPECT_EQ(encryptor.encrypt(sheetBof).error().code, ErrorCode::InvalidContent);

    Bytes noFilePass;
    appendRecord(noFilePass, 0x0809, bofData(0x0005));
    appendRecord(noFilePass, 0x0042, fromHex("b004"));
    appendRecord(noFilePass, 0x000A, {});
    const Bytes noFilePassCopy = noFilePass;
    EXPECT_EQ(encryptor.encrypt(noFilePass).error().code, ErrorCode::InvalidContent);
    EXPECT_EQ(noFilePass, noFilePassCopy);

    const StreamEncryptor other(kPassword, countingRandom(1));
    Bytes foreign = plainWorkbook(other.filePassData()).stream;
    EXPECT_EQ(encryptor.encrypt(foreign).error().code, ErrorCode::InvalidContent);

    Bytes cut(good.begin(), good.begin() + 100);   // FILEPASS cut short
    EXPECT_EQ(encryptor.encrypt(cut).error().code, ErrorCode::InvalidContent);

    Bytes empty;
    EXPECT_EQ(encryptor.encrypt(empty).error().code, ErrorCode::InvalidContent);
}

TEST(SystemRandom, FillsTheWholeBuffer)
{
    const RandomSource random = systemRandom();
    Bytes a(4099, 0);
    Bytes b(4099, 0);
    random(a);
    random(b);
    EXPECT_NE(a, b);
    // 4099 zero bytes from a working source are out of the question; check the tail too.
    EXPECT_TRUE(std::any_of(a.end() - 64, a.end(), [](std::uint8_t x) { return x != 0; }));
}

} // namespace
} // namespace quadrilo::xls
