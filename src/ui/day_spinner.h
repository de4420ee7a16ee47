// The day spinner's position: hidden state of its own, not tied to the
// date. It starts in the middle of its range and never wraps, so over the
// window's life the clicks that take effect, up less down, stay within
// half the range either way.
#pragma once

namespace celestra {

class SpinnerPosition {
public:
    static constexpr int kMin = 0;
    static constexpr int kMax = 1000;
    static constexpr int kStart = 500;

    int position() const { return position_; }

    // One step up or down; false, and no change, at the end of the range.
    bool Step(bool up) {
        const int next = position_ + (up ? 1 : -1);
        if (next < kMin || next > kMax) return false;
        position_ = next;
        return true;
    }

private:
    int position_ = kStart;
};

}  // namespace celestra
