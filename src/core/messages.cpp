#include "core/messages.h"

#include <new>
#include <stdexcept>

namespace celestra {

std::string ErrorBoxText(std::string_view message) {
    std::string text(message);
    if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.')) text += '.';
    return text;
}

std::string ErrorText(const std::exception& error) {
    // A string or a list asked to grow past what it can hold is the same
    // want of memory to the user.
    if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr || dynamic_cast<const std::length_error*>(&error)) {
        return kOutOfMemory;
    }
    return error.what();
}

}  // namespace celestra
