#include "text/errors.h"

#include "text/fixed_texts.h"

namespace celestra {

InOutError::InOutError(int code, const std::string& message) : Error(message), code_(code) {}

InOutError InOutError::FromCode(int code, std::string_view path) {
    const char* text = nullptr;
    switch (code) {
        case kFileNotFound: text = kFileNotFoundText; break;
        case kInvalidFilename: text = kInvalidFilenameText; break;
        case kTooManyOpenFiles: text = kTooManyOpenFilesText; break;
        case kAccessDenied: text = kFileAccessDeniedText; break;
        default: return FromPlatform(code, path);
    }
    return {code, text + std::string(path)};
}

InOutError InOutError::FromPlatform(int platformNumber, std::string_view path) {
    return {platformNumber,
            kInOutErrorBefore + std::to_string(platformNumber) + kInOutErrorPathBefore + std::string(path)};
}

}  // namespace celestra
