#include "core/pseudo_comet_lines.h"

#include "core/place_on_date.h"

namespace celestra {

PseudoCometLines::PseudoCometLines(std::string_view dateText, Computation computation) {
    if (computation == Computation::kPrecise) {
        preciseDate_ = PreciseDateOf(dateText);
    } else {
        classicDate_ = ClassicDateOf(dateText);
    }
}

const std::string& PseudoCometLines::LineOf(const ObjectPlace& object) {
    // Most targets do not move: their place is taken as it is, uncopied.
    std::optional<ObjectPlace> placed;
    if (object.motion) {
        placed = preciseDate_ ? PlaceOnDate(object, preciseDate_->dayCount, preciseDate_->earthAu)
                              : PlaceOnDate(object, classicDate_->dayCount, classicDate_->earthAu);
    }
    const ObjectPlace& onDate = placed ? *placed : object;
    if (preciseDate_) {
        PreciseElementLine(onDate, *preciseDate_, writer_, line_);
    } else {
        ClassicElementLine(onDate, *classicDate_, writer_, line_);
    }
    return line_;
}

}  // namespace celestra
