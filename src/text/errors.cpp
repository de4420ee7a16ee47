#include "text/errors.h"

#include "text/catalogue.h"

namespace celestra {

InOutError::InOutError(int code, const std::string& message) : Error(message), code_(code) {}

InOutError InOutError::FromCode(int code) {
    switch (code) {
        case kFileNotFound: return {code, kFileNotFoundText};
        case kInvalidFilename: return {code, kInvalidFilenameText};
        case kTooManyOpenFiles: return {code, kTooManyOpenFilesText};
        case kAccessDenied: return {code, kFileAccessDeniedText};
        default: return FromPlatform(code);
    }
}

InOutError InOutError::FromPlatform(int platformNumber) {
    return {platformNumber, kInOutErrorBefore + std::to_string(platformNumber)};
}

}  // namespace celestra
