#pragma once

// Workbook-stream encryption: the FILEPASS record, password checks and the
// in-place decryption and encryption of a whole Workbook stream.

#include "xls/Error.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace quadrilo::xls {

enum class EncryptionScheme { None, Xor, Rc4, Rc4CryptoApi };

// Excel's built-in password, used when only a password to modify was set.
inline const QString kDefaultExcelPassword = QStringLiteral("VelvetSweatshop");

// Fills the buffer with random bytes (salt, verifier). Tests pass a fixed one.
using RandomSource = std::function<void(std::span<std::uint8_t>)>;
RandomSource systemRandom();

struct DecryptOutcome {
    EncryptionScheme scheme = EncryptionScheme::None;
    QString password;   // the password that matched
};

// Decrypts `stream` in place. `filePassOffset` is the stream offset of the
// FILEPASS record header. Each password is tried in turn; WrongPassword when
// none matches, UnsupportedEncryption for unknown schemes, Corrupt for a
// malformed FILEPASS. A record running past the end of the stream is
// decrypted as far as it goes; reporting the truncation is the parser's job.
// On failure the stream is left unchanged.
Result<DecryptOutcome> decryptWorkbookStream(std::vector<std::uint8_t>& stream, std::size_t filePassOffset,
                                             const std::vector<QString>& passwords);

// RC4 CryptoAPI with a 128-bit key, as current Excel writes.
class StreamEncryptor {
public:
    StreamEncryptor(const QString& password, const RandomSource& random);
    ~StreamEncryptor();
    StreamEncryptor(const StreamEncryptor&) = delete;
    StreamEncryptor& operator=(const StreamEncryptor&) = delete;

    // FILEPASS record data (including wEncryptionType), of fixed size.
    const std::vector<std::uint8_t>& filePassData() const { return m_filePass; }

    // Encrypts a plain stream whose globals BOF is followed by a FILEPASS
    // holding filePassData(); every offset in it must already be final.
    Status encrypt(std::vector<std::uint8_t>& stream) const;

private:
    std::vector<std::uint8_t> m_filePass;
    std::vector<std::uint8_t> m_baseHash;   // SHA-1(salt || password), wiped on destruction
};

} // namespace quadrilo::xls
