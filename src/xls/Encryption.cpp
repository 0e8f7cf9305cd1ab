#include "xls/Encryption.h"

#include "xls/ByteReader.h"
#include "xls/ByteWriter.h"
#include "xls/Crypto.h"

#include <sys/random.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <variant>
#include <vector>

namespace quadrilo::xls {

namespace {

constexpr std::uint16_t kRecordBof = 0x0809;
constexpr std::uint16_t kRecordFilePass = 0x002F;
constexpr std::uint16_t kRecordUsrExcl = 0x0194;
constexpr std::uint16_t kRecordFileLock = 0x0195;
constexpr std::uint16_t kRecordInterfaceHdr = 0x00E1;
constexpr std::uint16_t kRecordRrdInfo = 0x0196;
constexpr std::uint16_t kRecordRrdHead = 0x0138;
constexpr std::uint16_t kRecordBoundSheet = 0x0085;

constexpr std::uint16_t kBofGlobals = 0x0005;

constexpr std::uint16_t kTypeXor = 0;
constexpr std::uint16_t kTypeRc4 = 1;

constexpr std::uint32_t kAlgRc4 = 0x6801;
constexpr std::uint32_t kAlgSha1 = 0x8004;
constexpr std::uint32_t kHeaderFlagsAes = 0x20;
constexpr std::uint32_t kHeaderFlagsExternal = 0x10;

// fCryptoAPI | fDocProps: document properties are left unencrypted.
constexpr std::uint32_t kWriteFlags = 0x0C;
constexpr unsigned kWriteKeyBits = 128;
const char16_t kWriteProvider[] = u"Microsoft Enhanced Cryptographic Provider v1.0";

// Leading data bytes of a record that stay plain; the rest is encrypted.
std::size_t plainPrefix(std::uint16_t type, std::size_t size)
{
    switch (type) {
    case kRecordBof:
    case kRecordFilePass:
    case kRecordUsrExcl:
    case kRecordFileLock:
    case kRecordInterfaceHdr:
    case kRecordRrdInfo:
    case kRecordRrdHead:
        return size;
    case kRecordBoundSheet:
        return 4;   // lbPlyPos
    default:
        return 0;
    }
}

using StreamCipher = std::variant<crypto::XorArray, crypto::Rc4BlockCipher>;

// Encrypts or decrypts in place the records from `start` up to `end` (a
// record boundary or the end of the stream). A record cut short by the end of
// the stream is handled as far as it goes.
void transformRange(std::span<std::uint8_t> all, std::size_t start, std::size_t end, StreamCipher& cipher, bool encrypt)
{
    std::size_t pos = start;
    while (pos < end && all.size() - pos >= 4) {
        ByteReader header(all.subspan(pos, 4));
        const std::uint16_t type = header.u16();
        const std::size_t size = header.u16();
        const std::size_t dataOffset = pos + 4;
        const std::size_t available = std::min(size, all.size() - dataOffset);
        const std::span<std::uint8_t> data = all.subspan(dataOffset, available);
        const std::size_t prefix = plainPrefix(type, size);

        if (auto* xorArray = std::get_if<crypto::XorArray>(&cipher)) {
            if (encrypt)
                crypto::xorEncodeRecord(data, dataOffset, size, prefix, *xorArray);
            else
                crypto::xorDecodeRecord(data, dataOffset, size, prefix, *xorArray);
        } else if (prefix < data.size()) {
            std::get<crypto::Rc4BlockCipher>(cipher).apply(data.subspan(prefix), dataOffset + prefix);
        }

        if (available < size)
            break;
        pos = dataOffset + size;
    }
}

// Record boundaries that cut the records from `start` on into `parts` runs of
// about equal length; the last one is the end of the stream.
std::vector<std::size_t> splitRecords(std::span<const std::uint8_t> all, std::size_t start, std::size_t parts)
{
    std::vector<std::size_t> ends;
    const std::size_t length = all.size() > start ? all.size() - start : 0;
    std::size_t pos = start;
    for (std::size_t part = 1; part < parts; ++part) {
        const std::size_t target = start + length / parts * part;
        while (pos < target && all.size() - pos >= 4)
            pos += 4 + (std::size_t(all[pos + 2]) | std::size_t(all[pos + 3]) << 8);
        ends.push_back(std::min(pos, all.size()));
    }
    ends.push_back(all.size());
    return ends;
}

// Streams smaller than this are not worth a thread.
constexpr std::size_t kParallelThreshold = 512 * 1024;

// Encrypts or decrypts in place every record that starts at or after `start`.
// RC4 is rekeyed at every 1 KiB block of the stream, so runs of records can
// be handled at once by ciphers of their own, one per core.
void transformRecords(std::vector<std::uint8_t>& stream, std::size_t start, StreamCipher& cipher, bool encrypt)
{
    const std::span<std::uint8_t> all(stream);
    auto* rc4 = std::get_if<crypto::Rc4BlockCipher>(&cipher);
    const std::size_t cores = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 4);
    if (!rc4 || cores == 1 || stream.size() < kParallelThreshold) {
        transformRange(all, start, all.size(), cipher, encrypt);
        return;
    }
    const std::vector<std::size_t> ends = splitRecords(all, start, cores);
    std::vector<StreamCipher> siblings;
    siblings.reserve(ends.size() - 1);
    for (std::size_t part = 1; part < ends.size(); ++part)
        siblings.emplace_back(rc4->sibling());
    std::vector<std::jthread> workers;
    for (std::size_t part = 1; part < ends.size(); ++part) {
        const auto run = [&, part] { transformRange(all, ends[part - 1], ends[part], siblings[part - 1], encrypt); };
        try {
            workers.emplace_back(run);
        } catch (const std::system_error&) {
            run();  // no thread to be had: this one does it
        }
    }
    transformRange(all, start, ends[0], cipher, encrypt);
}

struct FilePass {
    EncryptionScheme scheme = EncryptionScheme::None;
    std::uint16_t xorKey = 0;
    std::uint16_t xorVerifier = 0;
    crypto::Salt salt{};
    std::array<std::uint8_t, 16> encryptedVerifier{};
    std::array<std::uint8_t, 20> encryptedVerifierHash{};   // RC4 standard uses the first 16
    unsigned keyBits = 128;
};

Result<FilePass> parseFilePass(std::span<const std::uint8_t> data, std::uint64_t offset)
{
    auto corrupt = [offset](std::string detail) {
        return Error::make(ErrorCode::Corrupt, std::move(detail), kRecordFilePass, offset);
    };
    auto unsupported = [offset](std::string detail) {
        return Error::make(ErrorCode::UnsupportedEncryption, std::move(detail), kRecordFilePass, offset);
    };

    ByteReader in(data);
    FilePass pass;
    const std::uint16_t type = in.u16();
    if (in.failed())
        return corrupt("FILEPASS without encryption type");

    if (type == kTypeXor) {
        pass.scheme = EncryptionScheme::Xor;
        pass.xorKey = in.u16();
        pass.xorVerifier = in.u16();
        if (in.failed())
            return corrupt("XOR FILEPASS shorter than 6 bytes");
        return pass;
    }
    if (type != kTypeRc4)
        return unsupported("unknown FILEPASS encryption type " + std::to_string(type));

    const std::uint16_t major = in.u16();
    const std::uint16_t minor = in.u16();
    if (in.failed())
        return corrupt("RC4 FILEPASS without version");

    if (major == 1 && minor == 1) {
        pass.scheme = EncryptionScheme::Rc4;
        const auto salt = in.bytes(16);
        const auto verifier = in.bytes(16);
        const auto hash = in.bytes(16);
        if (in.failed())
            return corrupt("RC4 FILEPASS shorter than 54 bytes");
        std::copy(salt.begin(), salt.end(), pass.salt.begin());
        std::copy(verifier.begin(), verifier.end(), pass.encryptedVerifier.begin());
        std::copy(hash.begin(), hash.end(), pass.encryptedVerifierHash.begin());
        return pass;
    }
    if (!((major == 2 || major == 3 || major == 4) && minor == 2))
        return unsupported("RC4 FILEPASS version " + std::to_string(major) + "." + std::to_string(minor));

    pass.scheme = EncryptionScheme::Rc4CryptoApi;
    in.u32();   // flags, repeated in the header
    const std::uint32_t headerSize = in.u32();
    if (in.failed() || headerSize < 32 || headerSize > in.remaining())
        return corrupt("CryptoAPI header size " + std::to_string(headerSize) + " does not fit the FILEPASS");

    ByteReader header(in.bytes(headerSize));
    const std::uint32_t flags = header.u32();
    header.u32();   // SizeExtra
    const std::uint32_t algId = header.u32();
    const std::uint32_t algIdHash = header.u32();
    std::uint32_t keyBits = header.u32();
    // ProviderType, reserved fields and the provider name are not needed.
    if ((flags & (kHeaderFlagsAes | kHeaderFlagsExternal)) != 0)
        return unsupported("CryptoAPI header flags " + std::to_string(flags));
    if (algId != kAlgRc4)
        return unsupported("CryptoAPI cipher " + std::to_string(algId));
    if (algIdHash != kAlgSha1 && algIdHash != 0)
        return unsupported("CryptoAPI hash " + std::to_string(algIdHash));
    if (keyBits == 0)
        keyBits = 40;
    if (keyBits < 40 || keyBits > 128 || keyBits % 8 != 0)
        return unsupported("CryptoAPI key size " + std::to_string(keyBits));
    pass.keyBits = keyBits;

    const std::uint32_t saltSize = in.u32();
    if (in.failed() || saltSize != 16)
        return corrupt("CryptoAPI salt size " + std::to_string(saltSize));
    const auto salt = in.bytes(16);
    const auto verifier = in.bytes(16);
    const std::uint32_t hashSize = in.u32();
    if (in.failed() || hashSize != 20)
        return corrupt("CryptoAPI verifier hash size " + std::to_string(hashSize));
    const auto hash = in.bytes(20);
    if (in.failed())
        return corrupt("CryptoAPI FILEPASS cut short");
    std::copy(salt.begin(), salt.end(), pass.salt.begin());
    std::copy(verifier.begin(), verifier.end(), pass.encryptedVerifier.begin());
    std::copy(hash.begin(), hash.end(), pass.encryptedVerifierHash.begin());
    return pass;
}

// The cipher for `password` if it matches the FILEPASS verifier.
std::optional<StreamCipher> cipherForPassword(const FilePass& pass, const QString& password)
{
    const std::span<const std::uint8_t, 16> verifier(pass.encryptedVerifier);
    switch (pass.scheme) {
    case EncryptionScheme::Xor: {
        std::vector<std::uint8_t> bytes = crypto::xorPasswordBytes(password);
        std::optional<StreamCipher> cipher;
        if (!bytes.empty() && crypto::xorKey(bytes) == pass.xorKey && crypto::xorVerifier(bytes) == pass.xorVerifier)
            cipher.emplace(crypto::xorArray(bytes, pass.xorKey));
        crypto::wipe(bytes);
        return cipher;
    }
    case EncryptionScheme::Rc4: {
        std::vector<std::uint8_t> bytes = crypto::rc4PasswordBytes(password);
        crypto::Md5Digest h1 = crypto::rc4StandardIntermediateKey(bytes, pass.salt);
        crypto::wipe(bytes);
        std::optional<StreamCipher> cipher;
        if (crypto::rc4StandardCheckVerifier(h1, verifier, std::span<const std::uint8_t, 16>(pass.encryptedVerifierHash.data(), 16)))
            cipher.emplace(std::in_place_type<crypto::Rc4BlockCipher>, crypto::Rc4Variant::Standard, h1);
        crypto::wipe(h1);
        return cipher;
    }
    case EncryptionScheme::Rc4CryptoApi: {
        std::vector<std::uint8_t> bytes = crypto::rc4PasswordBytes(password);
        crypto::Sha1Digest h0 = crypto::cryptoApiBaseHash(pass.salt, bytes);
        crypto::wipe(bytes);
        std::optional<StreamCipher> cipher;
        if (crypto::cryptoApiCheckVerifier(h0, pass.keyBits, verifier, pass.encryptedVerifierHash))
            cipher.emplace(std::in_place_type<crypto::Rc4BlockCipher>, crypto::Rc4Variant::CryptoApi, h0, pass.keyBits);
        crypto::wipe(h0);
        return cipher;
    }
    case EncryptionScheme::None:
        break;
    }
    return std::nullopt;
}

void fillFromUrandom(std::span<std::uint8_t> out)
{
    std::FILE* file = std::fopen("/dev/urandom", "rb");
    const std::size_t got = file ? std::fread(out.data(), 1, out.size(), file) : 0;
    if (file)
        std::fclose(file);
    if (got != out.size())
        throw std::runtime_error("no system random source");
}

void fillRandom(std::span<std::uint8_t> out)
{
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = getrandom(out.data() + done, out.size() - done, 0);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (n < 0 && errno == EINTR)
            continue;
        else
            return fillFromUrandom(out.subspan(done));
    }
}

} // namespace

RandomSource systemRandom()
{
    return [](std::span<std::uint8_t> out) { fillRandom(out); };
}

Result<DecryptOutcome> decryptWorkbookStream(std::vector<std::uint8_t>& stream, std::size_t filePassOffset,
                                             const std::vector<QString>& passwords)
{
    if (filePassOffset > stream.size() || stream.size() - filePassOffset < 4)
        return Error::make(ErrorCode::Corrupt, "no FILEPASS record header", kRecordFilePass, filePassOffset);
    ByteReader header(std::span<const std::uint8_t>(stream).subspan(filePassOffset, 4));
    const std::uint16_t type = header.u16();
    const std::size_t size = header.u16();
    if (type != kRecordFilePass)
        return Error::make(ErrorCode::Corrupt, "expected FILEPASS", type, filePassOffset);
    const std::size_t dataOffset = filePassOffset + 4;
    if (stream.size() - dataOffset < size)
        return Error::make(ErrorCode::Corrupt, "FILEPASS cut short", kRecordFilePass, filePassOffset);

    auto pass = parseFilePass(std::span<const std::uint8_t>(stream).subspan(dataOffset, size), filePassOffset);
    if (!pass)
        return pass.error();

    for (const QString& password : passwords) {
        std::optional<StreamCipher> cipher = cipherForPassword(*pass, password);
        if (!cipher)
            continue;
        transformRecords(stream, dataOffset + size, *cipher, false);
        if (auto* xorArray = std::get_if<crypto::XorArray>(&*cipher))
            crypto::wipe(*xorArray);
        return DecryptOutcome{pass->scheme, password};
    }
    return Error::make(ErrorCode::WrongPassword, "no password matches the FILEPASS verifier", kRecordFilePass,
                       filePassOffset);
}

StreamEncryptor::StreamEncryptor(const QString& password, const RandomSource& random)
{
    crypto::Salt salt{};
    random(salt);
    std::array<std::uint8_t, 16> verifier{};
    random(verifier);

    std::vector<std::uint8_t> bytes = crypto::rc4PasswordBytes(password);
    const crypto::Sha1Digest h0 = crypto::cryptoApiBaseHash(salt, bytes);
    crypto::wipe(bytes);
    m_baseHash.assign(h0.begin(), h0.end());

    // Verifier and its SHA-1 are encrypted as one RC4 run from the start of block 0.
    std::array<std::uint8_t, 36> sealed{};
    std::copy(verifier.begin(), verifier.end(), sealed.begin());
    crypto::Sha1Digest verifierHash = crypto::sha1(verifier);
    std::copy(verifierHash.begin(), verifierHash.end(), sealed.begin() + 16);
    crypto::Rc4BlockCipher(crypto::Rc4Variant::CryptoApi, h0, kWriteKeyBits).apply(sealed, 0);
    crypto::wipe(verifier);
    crypto::wipe(verifierHash);

    constexpr std::size_t kProviderUnits = sizeof(kWriteProvider) / sizeof(char16_t);   // with the NUL
    constexpr std::uint32_t kHeaderSize = 8 * 4 + kProviderUnits * 2;

    ByteWriter out(m_filePass);
    out.u16(kTypeRc4);
    out.u16(4);   // vMajor
    out.u16(2);   // vMinor
    out.u32(kWriteFlags);
    out.u32(kHeaderSize);
    out.u32(kWriteFlags);
    out.u32(0);   // SizeExtra
    out.u32(kAlgRc4);
    out.u32(kAlgSha1);
    out.u32(kWriteKeyBits);
    out.u32(1);   // ProviderType: PROV_RSA_FULL
    out.u32(0);
    out.u32(0);
    for (char16_t unit : kWriteProvider)
        out.u16(unit);
    out.u32(static_cast<std::uint32_t>(salt.size()));
    out.bytes(salt);
    out.bytes(std::span<const std::uint8_t>(sealed).first(16));
    out.u32(20);
    out.bytes(std::span<const std::uint8_t>(sealed).subspan(16));
    crypto::wipe(sealed);
}

StreamEncryptor::~StreamEncryptor()
{
    crypto::wipe(m_baseHash);
}

Status StreamEncryptor::encrypt(std::vector<std::uint8_t>& stream) const
{
    ByteReader in(stream);
    const std::uint16_t bofType = in.u16();
    const std::size_t bofSize = in.u16();
    ByteReader bof(in.bytes(bofSize));
    bof.u16();   // vers
    const std::uint16_t dt = bof.u16();
    if (in.failed() || bof.failed() || bofType != kRecordBof || dt != kBofGlobals)
        return Error::make(ErrorCode::InvalidContent, "stream does not start with a globals BOF", bofType, 0);

    const std::size_t filePassOffset = in.position();
    const std::uint16_t passType = in.u16();
    const std::size_t passSize = in.u16();
    const auto passData = in.bytes(passSize);
    if (in.failed() || passType != kRecordFilePass)
        return Error::make(ErrorCode::InvalidContent, "no FILEPASS after the globals BOF", passType, filePassOffset);
    if (!std::equal(passData.begin(), passData.end(), m_filePass.begin(), m_filePass.end()))
        return Error::make(ErrorCode::InvalidContent, "FILEPASS does not hold this encryptor's data", passType,
                           filePassOffset);

    StreamCipher cipher(std::in_place_type<crypto::Rc4BlockCipher>, crypto::Rc4Variant::CryptoApi, m_baseHash,
                        kWriteKeyBits);
    transformRecords(stream, in.position(), cipher, true);
    return success();
}

} // namespace quadrilo::xls
