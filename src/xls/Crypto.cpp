#include "xls/Crypto.h"

#include <nettle/arcfour.h>
#include <nettle/md5.h>
#include <nettle/sha1.h>

#include <algorithm>
#include <cstring>

namespace quadrilo::xls::crypto {

namespace {

// [MS-OFFCRYPTO] 2.3.7.2: InitialCode and XorMatrix of CreateXorKey_Method1.
constexpr std::array<std::uint16_t, 15> kInitialCode = {
    0xE1F0, 0x1D0F, 0xCC9C, 0x84C0, 0x110C, 0x0E10, 0xF1CE, 0x313E,
    0x1872, 0xE139, 0xD40F, 0x84F9, 0x280C, 0xA96A, 0x4EC3,
};

constexpr std::array<std::uint16_t, 105> kXorMatrix = {
    0xAEFC, 0x4DD9, 0x9BB2, 0x2745, 0x4E8A, 0x9D14, 0x2A09, 0x7B61, 0xF6C2, 0xFDA5, 0xEB6B, 0xC6F7,
    0x9DCF, 0x2BBF, 0x4563, 0x8AC6, 0x05AD, 0x0B5A, 0x16B4, 0x2D68, 0x5AD0, 0x0375, 0x06EA, 0x0DD4,
    0x1BA8, 0x3750, 0x6EA0, 0xDD40, 0xD849, 0xA0B3, 0x5147, 0xA28E, 0x553D, 0xAA7A, 0x44D5, 0x6F45,
    0xDE8A, 0xAD35, 0x4A4B, 0x9496, 0x390D, 0x721A, 0xEB23, 0xC667, 0x9CEF, 0x29FF, 0x53FE, 0xA7FC,
    0x5FD9, 0x47D3, 0x8FA6, 0x0F6D, 0x1EDA, 0x3DB4, 0x7B68, 0xF6D0, 0xB861, 0x60E3, 0xC1C6, 0x93AD,
    0x377B, 0x6EF6, 0xDDEC, 0x45A0, 0x8B40, 0x06A1, 0x0D42, 0x1A84, 0x3508, 0x6A10, 0xAA51, 0x4483,
    0x8906, 0x022D, 0x045A, 0x08B4, 0x1168, 0x76B4, 0xED68, 0xCAF1, 0x85C3, 0x1BA7, 0x374E, 0x6E9C,
    0x3730, 0x6E60, 0xDCC0, 0xA9A1, 0x4363, 0x86C6, 0x1DAD, 0x3331, 0x6662, 0xCCC4, 0x89A9, 0x0373,
    0x06E6, 0x0DCC, 0x1021, 0x2042, 0x4084, 0x8108, 0x1231, 0x2462, 0x48C4,
};

// Bytes following the password in the XOR array.
constexpr std::array<std::uint8_t, 15> kXorPad = {
    0xBB, 0xFF, 0xFF, 0xBA, 0xFF, 0xFF, 0xB9, 0x80, 0x00, 0xBE, 0x0F, 0x00, 0xBF, 0x0F, 0x00,
};

template <typename T>
void wipeObject(T& object)
{
    wipe(std::span<std::uint8_t>(reinterpret_cast<std::uint8_t*>(&object), sizeof(T)));
}

constexpr std::uint8_t rotateRight(std::uint8_t value, int bits)
{
    return static_cast<std::uint8_t>((value >> bits) | (value << (8 - bits)));
}

void appendLe32(std::uint8_t* out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

unsigned validKeyBits(unsigned keyBits)
{
    return (keyBits < 40 || keyBits > 128 || keyBits % 8 != 0) ? 128 : keyBits;
}

// Writes the key of `block` to `key` and returns its length.
std::size_t deriveBlockKey(Rc4Variant variant, std::span<const std::uint8_t> secret, unsigned keyBits,
                           std::uint32_t block, std::array<std::uint8_t, 16>& key)
{
    if (variant == Rc4Variant::Standard) {
        std::array<std::uint8_t, 9> input{};
        std::copy_n(secret.begin(), 5, input.begin());
        appendLe32(input.data() + 5, block);
        Md5Digest digest = md5(input);
        std::copy(digest.begin(), digest.end(), key.begin());
        wipe(input);
        wipe(digest);
        return key.size();
    }

    std::array<std::uint8_t, 24> input{};
    std::copy_n(secret.begin(), 20, input.begin());
    appendLe32(input.data() + 20, block);
    Sha1Digest digest = sha1(input);
    keyBits = validKeyBits(keyBits);
    key.fill(0);
    // A 40-bit key is used as 16 bytes whose last 11 are zero.
    const std::size_t length = keyBits == 40 ? 16 : keyBits / 8;
    std::copy_n(digest.begin(), keyBits / 8, key.begin());
    wipe(input);
    wipe(digest);
    return length;
}

void xorRecord(std::span<std::uint8_t> data, std::size_t dataOffset, std::size_t recordSize, std::size_t plainPrefix,
               const XorArray& array, bool encode)
{
    std::size_t index = (dataOffset + recordSize) % array.size();
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (i >= plainPrefix) {
            if (encode)
                data[i] = static_cast<std::uint8_t>(rotateRight(data[i], 3) ^ array[index]);
            else
                data[i] = rotateRight(static_cast<std::uint8_t>(data[i] ^ array[index]), 5);
        }
        index = (index + 1) % array.size();
    }
}

} // namespace

void wipe(std::span<std::uint8_t> bytes)
{
    volatile std::uint8_t* p = bytes.data();
    for (std::size_t i = 0; i < bytes.size(); ++i)
        p[i] = 0;
}

Md5Digest md5(std::span<const std::uint8_t> data)
{
    md5_ctx ctx;
    md5_init(&ctx);
    md5_update(&ctx, data.size(), data.data());
    Md5Digest digest{};
    md5_digest(&ctx, digest.size(), digest.data());
    wipeObject(ctx);
    return digest;
}

Sha1Digest sha1(std::span<const std::uint8_t> data)
{
    sha1_ctx ctx;
    sha1_init(&ctx);
    sha1_update(&ctx, data.size(), data.data());
    Sha1Digest digest{};
    sha1_digest(&ctx, digest.size(), digest.data());
    wipeObject(ctx);
    return digest;
}

std::vector<std::uint8_t> rc4PasswordBytes(const QString& password)
{
    const auto units = std::min<std::size_t>(static_cast<std::size_t>(password.size()), kMaxRc4PasswordLength);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(units * 2);
    for (std::size_t i = 0; i < units; ++i) {
        const char16_t unit = password.at(static_cast<qsizetype>(i)).unicode();
        bytes.push_back(static_cast<std::uint8_t>(unit));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

std::vector<std::uint8_t> xorPasswordBytes(const QString& password)
{
    const auto length = std::min<std::size_t>(static_cast<std::size_t>(password.size()), kMaxXorPasswordLength);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(length);
    for (std::size_t i = 0; i < length; ++i)
        bytes.push_back(static_cast<std::uint8_t>(password.at(static_cast<qsizetype>(i)).unicode()));
    return bytes;
}

std::uint16_t xorKey(std::span<const std::uint8_t> password)
{
    if (password.empty())
        return 0;
    password = password.first(std::min(password.size(), kMaxXorPasswordLength));
    std::uint16_t key = kInitialCode[password.size() - 1];
    std::size_t element = kXorMatrix.size() - 1;
    for (auto it = password.rbegin(); it != password.rend(); ++it) {
        std::uint8_t c = *it;
        for (int bit = 0; bit < 7; ++bit) {
            if (c & 0x40)
                key ^= kXorMatrix[element];
            c = static_cast<std::uint8_t>(c << 1);
            --element;
        }
    }
    return key;
}

std::uint16_t xorVerifier(std::span<const std::uint8_t> password)
{
    if (password.empty())
        return 0;
    password = password.first(std::min(password.size(), kMaxXorPasswordLength));
    auto step = [](std::uint16_t v, std::uint8_t b) {
        return static_cast<std::uint16_t>((((v >> 14) & 1) | ((v << 1) & 0x7FFF)) ^ b);
    };
    std::uint16_t v = 0;
    for (auto it = password.rbegin(); it != password.rend(); ++it)
        v = step(v, *it);
    v = step(v, static_cast<std::uint8_t>(password.size()));
    return static_cast<std::uint16_t>(v ^ 0xCE4B);
}

XorArray xorArray(std::span<const std::uint8_t> password, std::uint16_t key)
{
    password = password.first(std::min(password.size(), kMaxXorPasswordLength));
    XorArray array{};
    std::copy(password.begin(), password.end(), array.begin());
    std::copy_n(kXorPad.begin(), array.size() - password.size(), array.begin() + password.size());
    const auto low = static_cast<std::uint8_t>(key);
    const auto high = static_cast<std::uint8_t>(key >> 8);
    for (std::size_t i = 0; i < array.size(); ++i)
        array[i] = rotateRight(static_cast<std::uint8_t>(array[i] ^ (i % 2 == 0 ? low : high)), 1);
    return array;
}

void xorDecodeRecord(std::span<std::uint8_t> data, std::size_t dataOffset, std::size_t recordSize,
                     std::size_t plainPrefix, const XorArray& array)
{
    xorRecord(data, dataOffset, recordSize, plainPrefix, array, false);
}

void xorEncodeRecord(std::span<std::uint8_t> data, std::size_t dataOffset, std::size_t recordSize,
                     std::size_t plainPrefix, const XorArray& array)
{
    xorRecord(data, dataOffset, recordSize, plainPrefix, array, true);
}

Md5Digest rc4StandardIntermediateKey(std::span<const std::uint8_t> passwordUtf16, const Salt& salt)
{
    Md5Digest h0 = md5(passwordUtf16);
    constexpr std::size_t kUnit = 5 + 16;
    std::array<std::uint8_t, 16 * kUnit> buffer{};
    for (std::size_t i = 0; i < 16; ++i) {
        std::copy_n(h0.begin(), 5, buffer.begin() + i * kUnit);
        std::copy(salt.begin(), salt.end(), buffer.begin() + i * kUnit + 5);
    }
    Md5Digest h1 = md5(buffer);
    wipe(h0);
    wipe(buffer);
    return h1;
}

Md5Digest rc4StandardBlockKey(const Md5Digest& h1, std::uint32_t block)
{
    std::array<std::uint8_t, 16> key{};
    deriveBlockKey(Rc4Variant::Standard, h1, 128, block, key);
    return key;
}

bool rc4StandardCheckVerifier(const Md5Digest& h1, std::span<const std::uint8_t, 16> encryptedVerifier,
                              std::span<const std::uint8_t, 16> encryptedVerifierHash)
{
    // Verifier and hash are one RC4 run from the start of block 0.
    std::array<std::uint8_t, 32> buffer{};
    std::copy(encryptedVerifier.begin(), encryptedVerifier.end(), buffer.begin());
    std::copy(encryptedVerifierHash.begin(), encryptedVerifierHash.end(), buffer.begin() + 16);
    Rc4BlockCipher cipher(Rc4Variant::Standard, h1);
    cipher.apply(buffer, 0);
    Md5Digest expected = md5(std::span<const std::uint8_t>(buffer).first(16));
    const bool match = std::equal(expected.begin(), expected.end(), buffer.begin() + 16);
    wipe(buffer);
    wipe(expected);
    return match;
}

Sha1Digest cryptoApiBaseHash(const Salt& salt, std::span<const std::uint8_t> passwordUtf16)
{
    std::vector<std::uint8_t> input(salt.begin(), salt.end());
    input.insert(input.end(), passwordUtf16.begin(), passwordUtf16.end());
    Sha1Digest h0 = sha1(input);
    wipe(input);
    return h0;
}

std::vector<std::uint8_t> cryptoApiBlockKey(const Sha1Digest& h0, std::uint32_t block, unsigned keyBits)
{
    std::array<std::uint8_t, 16> key{};
    const std::size_t length = deriveBlockKey(Rc4Variant::CryptoApi, h0, keyBits, block, key);
    std::vector<std::uint8_t> result(key.begin(), key.begin() + static_cast<std::ptrdiff_t>(length));
    wipe(key);
    return result;
}

bool cryptoApiCheckVerifier(const Sha1Digest& h0, unsigned keyBits, std::span<const std::uint8_t, 16> encryptedVerifier,
                            std::span<const std::uint8_t, 20> encryptedVerifierHash)
{
    std::array<std::uint8_t, 36> buffer{};
    std::copy(encryptedVerifier.begin(), encryptedVerifier.end(), buffer.begin());
    std::copy(encryptedVerifierHash.begin(), encryptedVerifierHash.end(), buffer.begin() + 16);
    Rc4BlockCipher cipher(Rc4Variant::CryptoApi, h0, keyBits);
    cipher.apply(buffer, 0);
    Sha1Digest expected = sha1(std::span<const std::uint8_t>(buffer).first(16));
    const bool match = std::equal(expected.begin(), expected.end(), buffer.begin() + 16);
    wipe(buffer);
    wipe(expected);
    return match;
}

struct Rc4BlockCipher::State {
    Rc4Variant variant;
    unsigned keyBits;
    std::array<std::uint8_t, 20> secret{};
    arcfour_ctx rc4{};
    std::uint64_t block = UINT64_MAX;   // none keyed yet
    std::size_t position = 0;           // index in the block of the next key-stream byte

    ~State()
    {
        wipe(secret);
        wipeObject(rc4);
        wipe(scratch);
    }

    void rekey(std::uint32_t newBlock)
    {
        std::array<std::uint8_t, 16> key{};
        const std::size_t keyLength = deriveBlockKey(variant, secret, keyBits, newBlock, key);
        arcfour_set_key(&rc4, keyLength, key.data());
        wipe(key);
        block = newBlock;
        position = 0;
    }

    // Advances the key stream; the skipped bytes land in scratch, wiped with the state.
    void discard(std::size_t count)
    {
        while (count > 0) {
            const std::size_t n = std::min(count, scratch.size());
            arcfour_crypt(&rc4, n, scratch.data(), scratch.data());
            count -= n;
        }
    }

    std::array<std::uint8_t, 64> scratch{};
};

Rc4BlockCipher::Rc4BlockCipher(Rc4Variant variant, std::span<const std::uint8_t> secret, unsigned keyBits)
    : m_state(std::make_unique<State>())
{
    m_state->variant = variant;
    m_state->keyBits = validKeyBits(keyBits);
    std::copy_n(secret.begin(), std::min(secret.size(), m_state->secret.size()), m_state->secret.begin());
}

Rc4BlockCipher Rc4BlockCipher::sibling() const
{
    return Rc4BlockCipher(m_state->variant, m_state->secret, m_state->keyBits);
}

Rc4BlockCipher::~Rc4BlockCipher() = default;
Rc4BlockCipher::Rc4BlockCipher(Rc4BlockCipher&& other) noexcept = default;
Rc4BlockCipher& Rc4BlockCipher::operator=(Rc4BlockCipher&& other) noexcept = default;

void Rc4BlockCipher::apply(std::span<std::uint8_t> data, std::size_t streamOffset)
{
    State& s = *m_state;
    std::size_t done = 0;
    while (done < data.size()) {
        const std::size_t offset = streamOffset + done;
        const auto block = static_cast<std::uint32_t>(offset / kRc4BlockSize);
        const std::size_t index = offset % kRc4BlockSize;
        if (s.block != block || s.position > index)
            s.rekey(block);
        s.discard(index - s.position);
        const std::size_t count = std::min(data.size() - done, kRc4BlockSize - index);
        arcfour_crypt(&s.rc4, count, data.data() + done, data.data() + done);
        s.position = index + count;
        done += count;
    }
}

} // namespace quadrilo::xls::crypto
