// How the processing run speaks to the user: fixed Spanish texts through a
// message box that the window, the batch command and the tests each provide,
// and errors shown by whoever drives the run, with the full-stop rule.
#pragma once

#include <exception>
#include <string>
#include <string_view>

#include "text/fixed_texts.h"

namespace celestra {

// A modal box with one text and an "OK" button; returns once dismissed.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual void Show(const std::string& text) = 0;
};

// The text the error box shows for an error's message: a full stop is added
// when the last byte sorts above "." (a letter, digit or quote), not after
// ".", "!", ",", "-" or a blank, nor to an empty text.
std::string ErrorBoxText(std::string_view message);

// The text of an error that ended a user action: its message, or
// kOutOfMemory when memory ran out.
std::string ErrorText(const std::exception& error);

}  // namespace celestra
