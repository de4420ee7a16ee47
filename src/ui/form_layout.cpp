#include "ui/form_layout.h"

#include "ui/date_mask.h"

namespace celestra {

std::vector<std::string> DateFieldWidestTexts(char separator) {
    const std::string blank = DateMask(separator).DisplayText();
    std::vector<std::string> texts{blank};
    for (char digit = '0'; digit <= '9'; ++digit) {
        std::string filled = blank;
        for (char& c : filled) {
            if (c == DateMask::kBlankShown) c = digit;
        }
        texts.push_back(filled);
    }
    return texts;
}

}  // namespace celestra
