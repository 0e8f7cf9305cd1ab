#pragma once

// Primitives of the three Workbook-stream encryption schemes: XOR obfuscation
// (method 1), RC4 with MD5 key derivation ("standard") and RC4 CryptoAPI with
// SHA-1. Hashes and RC4 come from Nettle. Buffers holding keys or hashes are
// wiped before they are released.

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace quadrilo::xls::crypto {

using Md5Digest = std::array<std::uint8_t, 16>;
using Sha1Digest = std::array<std::uint8_t, 20>;
using Salt = std::array<std::uint8_t, 16>;
using XorArray = std::array<std::uint8_t, 16>;

inline constexpr std::size_t kRc4BlockSize = 1024;
inline constexpr std::size_t kMaxRc4PasswordLength = 255;   // UTF-16 code units
inline constexpr std::size_t kMaxXorPasswordLength = 15;    // bytes

// Overwrites the bytes with zeros in a way the compiler does not drop.
void wipe(std::span<std::uint8_t> bytes);

Md5Digest md5(std::span<const std::uint8_t> data);
Sha1Digest sha1(std::span<const std::uint8_t> data);

// ---- Passwords ------------------------------------------------------------

// UTF-16LE code units without terminator, cut at 255 units. The caller wipes it.
std::vector<std::uint8_t> rc4PasswordBytes(const QString& password);
// One byte per character (the low byte, i.e. Latin-1), cut at 15. The caller wipes it.
std::vector<std::uint8_t> xorPasswordBytes(const QString& password);

// ---- XOR obfuscation, method 1 ---------------------------------------------

// Both return 0 for an empty password (no such password exists in a file).
std::uint16_t xorKey(std::span<const std::uint8_t> password);
std::uint16_t xorVerifier(std::span<const std::uint8_t> password);
XorArray xorArray(std::span<const std::uint8_t> password, std::uint16_t key);

// De-obfuscates (or obfuscates) the available data of one record. `dataOffset`
// is the stream offset of the record's first data byte and `recordSize` the
// size its header declares (it may exceed data.size() for a cut record). The
// first `plainPrefix` bytes are left alone but still advance the array index.
void xorDecodeRecord(std::span<std::uint8_t> data, std::size_t dataOffset, std::size_t recordSize,
                     std::size_t plainPrefix, const XorArray& array);
void xorEncodeRecord(std::span<std::uint8_t> data, std::size_t dataOffset, std::size_t recordSize,
                     std::size_t plainPrefix, const XorArray& array);

// ---- RC4 "standard" (MD5) ---------------------------------------------------

// H1 = MD5((MD5(password)[0..5] || salt) x 16); only its first 5 bytes matter.
Md5Digest rc4StandardIntermediateKey(std::span<const std::uint8_t> passwordUtf16, const Salt& salt);
// MD5(h1[0..5] || block LE32): the 16-byte RC4 key of one 1024-byte block.
Md5Digest rc4StandardBlockKey(const Md5Digest& h1, std::uint32_t block);
// True when the encrypted verifier and its encrypted MD5 match under key(0).
bool rc4StandardCheckVerifier(const Md5Digest& h1, std::span<const std::uint8_t, 16> encryptedVerifier,
                              std::span<const std::uint8_t, 16> encryptedVerifierHash);

// ---- RC4 CryptoAPI (SHA-1) --------------------------------------------------

// H0 = SHA-1(salt || password).
Sha1Digest cryptoApiBaseHash(const Salt& salt, std::span<const std::uint8_t> passwordUtf16);
// The RC4 key of one block: keyBits/8 bytes of SHA-1(h0 || block LE32); a
// 40-bit key is 5 bytes followed by 11 zero bytes. keyBits: 40..128, step 8
// (anything else is taken as 128).
std::vector<std::uint8_t> cryptoApiBlockKey(const Sha1Digest& h0, std::uint32_t block, unsigned keyBits);
bool cryptoApiCheckVerifier(const Sha1Digest& h0, unsigned keyBits, std::span<const std::uint8_t, 16> encryptedVerifier,
                            std::span<const std::uint8_t, 20> encryptedVerifierHash);

// ---- Key stream by absolute stream offset -----------------------------------

enum class Rc4Variant { Standard, CryptoApi };

// RC4 rekeyed every 1024 bytes of the stream: the byte at stream offset p is
// XORed with byte p % 1024 of the key stream of block p / 1024. The RC4 state
// runs forward with the calls, so walking a stream front to back produces each
// key-stream byte once; a call behind the current position rekeys its block.
class Rc4BlockCipher {
public:
    // Standard: `secret` is H1 (16 bytes). CryptoApi: `secret` is H0 (20 bytes)
    // and keyBits 40..128 in steps of 8 (anything else is taken as 128).
    Rc4BlockCipher(Rc4Variant variant, std::span<const std::uint8_t> secret, unsigned keyBits = 128);
    ~Rc4BlockCipher();
    Rc4BlockCipher(Rc4BlockCipher&& other) noexcept;
    Rc4BlockCipher& operator=(Rc4BlockCipher&& other) noexcept;

    // XORs the key stream for stream offsets [streamOffset, streamOffset + data.size()).
    void apply(std::span<std::uint8_t> data, std::size_t streamOffset);

    // A second cipher on the same key, for another part of the same stream.
    Rc4BlockCipher sibling() const;

private:
    struct State;   // Nettle's RC4 context and the key material, wiped on destruction
    std::unique_ptr<State> m_state;
};

} // namespace quadrilo::xls::crypto
