#include "xls/Error.h"

namespace quadrilo::xls {

const char* errorCodeName(ErrorCode code)
{
    switch (code) {
    case ErrorCode::Io: return "io";
    case ErrorCode::NotCompoundFile: return "not-compound-file";
    case ErrorCode::OfficeOpenXml: return "office-open-xml";
    case ErrorCode::MissingWorkbookStream: return "missing-workbook-stream";
    case ErrorCode::UnsupportedVersion: return "unsupported-version";
    case ErrorCode::NotEncrypted: return "not-encrypted";
    case ErrorCode::WrongPassword: return "wrong-password";
    case ErrorCode::UnsupportedEncryption: return "unsupported-encryption";
    case ErrorCode::Corrupt: return "corrupt";
    case ErrorCode::TooLarge: return "too-large";
    case ErrorCode::InvalidContent: return "invalid-content";
    }
    return "unknown";
}

} // namespace quadrilo::xls
