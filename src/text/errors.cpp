#include "text/errors.h"

namespace celestra {

InOutError::InOutError(int code, const std::string& message) : Error(message), code_(code) {}

InOutError InOutError::FromCode(int code) {
    switch (code) {
        case kFileNotFound: return {code, "File not found"};
        case kInvalidFilename: return {code, "Invalid filename"};
        case kTooManyOpenFiles: return {code, "Too many open files"};
        case kAccessDenied: return {code, "File access denied"};
        default: return FromPlatform(code);
    }
}

InOutError InOutError::FromPlatform(int platformNumber) {
    return {platformNumber, "I/O error " + std::to_string(platformNumber)};
}

}  // namespace celestra
