#pragma once

// Failure reporting of the file-format layer: a code the program turns into its
// own message, plus where it happened for the log and the tests.

#include <cstdint>
#include <string>
#include <utility>
#include <variant>

namespace quadrilo::xls {

enum class ErrorCode {
    Io,                      // the file could not be read or written
    NotCompoundFile,         // not an OLE2 compound file (random bytes, text, ...)
    OfficeOpenXml,           // an .xlsx/.xlsm (zip) file, whatever its name
    MissingWorkbookStream,   // a compound file without a Workbook stream
    UnsupportedVersion,      // BIFF5 (Excel 95) or older
    NotEncrypted,            // a password was required but the file has none
    WrongPassword,           // the password does not match the file's verifier
    UnsupportedEncryption,   // an encryption scheme we do not know
    Corrupt,                 // damaged or truncated records
    TooLarge,                // beyond the limits of the format (rows, columns, sheets, strings)
    InvalidContent,          // the model cannot be written (e.g. a bad sheet name)
};

struct Error {
    ErrorCode code = ErrorCode::Corrupt;
    std::string detail;         // technical detail, English, for logs and tests
    std::uint16_t record = 0;   // record type involved, 0 if none
    std::uint64_t offset = 0;   // stream offset involved

    static Error make(ErrorCode code, std::string detail, std::uint16_t record = 0, std::uint64_t offset = 0)
    {
        return Error{code, std::move(detail), record, offset};
    }
};

const char* errorCodeName(ErrorCode code);

// A value or an error. Small stand-in for std::expected.
template <typename T, typename E = Error>
class Result {
public:
    Result(T value) : m_state(std::move(value)) {}
    Result(E error) : m_state(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(m_state); }
    explicit operator bool() const { return ok(); }
    T& value() & { return std::get<T>(m_state); }
    const T& value() const& { return std::get<T>(m_state); }
    T&& value() && { return std::get<T>(std::move(m_state)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const E& error() const { return std::get<E>(m_state); }

private:
    std::variant<T, E> m_state;
};

struct Done {};
using Status = Result<Done>;
inline Status success() { return Done{}; }

} // namespace quadrilo::xls
