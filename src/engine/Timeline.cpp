#include "engine/Timeline.h"

#include <cmath>

namespace quarn {

double Timeline::PlayableStart(double at, double length, double leastLeft) {
    return std::isfinite(at) && at > 0 && std::isfinite(length) && at <= length - leastLeft ? at
                                                                                            : 0;
}

void Timeline::Start(double at, double bytes) {
    bytes_ = bytes;
    offset_ = 0;
    last_ = at;
    seeking_ = false;
}

void Timeline::Seek(double to) {
    last_ = to;
    seeking_ = true;
}

double Timeline::Position(double engineTime) {
    if (!std::isfinite(engineTime)) {
        return last_;
    }
    const double shown = engineTime - offset_;
    if (shown < 0 || (!seeking_ && shown - last_ > kLargestStep)) {
        // A leap nobody asked for: the time goes on from where it was.
        offset_ = engineTime - last_;
        return last_;
    }
    last_ = shown;
    return shown;
}

double Timeline::Length(double engineLength) const {
    double length = engineLength;
    // On a shifted time line the length is shifted too, where that leaves one.
    if (offset_ > 0 && length - offset_ > 0) {
        length -= offset_;
    }
    const bool fills = bytes_ <= 0 || length <= bytes_ * 8 / kFewestBitsPerSecond;
    return std::isfinite(length) && length > 0 && length < kLongest && fills ? length : 0;
}

} // namespace quarn
