#pragma once

namespace quarn {

// Keeps what the player shows of a file's time honest where the file's own
// timestamps are not: a length of a year or more, or one that a file of its
// size could not fill even as the sparest slide show, is no length (a damaged
// file's), and a jump of the position that nobody asked for (a damaged stream
// whose timestamps leap hours ahead, or wrap round) shifts the time shown back
// onto the course it was on. All times are seconds.
class Timeline {
public:
    // Where a file of `length` seconds (0: unknown) asked to start `at` does
    // start: there, if that is a time at least `leastLeft` seconds before its
    // end; else at the beginning (a place past the end, from a stored position
    // of a file since replaced by a shorter one, would leave it never playing).
    static double PlayableStart(double at, double length, double leastLeft);
    static constexpr double kLeastLeftToPlay = 10;

    // A file of this many bytes (0: unknown, as for a stream) opens, or is
    // taken up again, at this position.
    void Start(double at = 0, double bytes = 0);
    // The position the user asked for: until the engine has settled there,
    // the times it reports are taken as they come (an old one may still be
    // on its way).
    void Seek(double to);
    void Settled() { seeking_ = false; }

    // The position the engine reports, as it is to be shown.
    double Position(double engineTime);
    // The length the engine reports, as it is to be shown: 0 when unknown or
    // beyond belief. Short files can be long: a slide show or a still picture
    // with a sound track of silence plays for an hour in a few kilobytes.
    double Length(double engineLength) const;
    // Where the engine is to go for a position shown.
    double EngineTime(double position) const { return position + offset_; }

    // Forward jumps up to this long pass for playing on (frames may be far apart).
    static constexpr double kLargestStep = 60;
    // No file plays for a year or longer, nor at fewer bits a second than
    // this: a 1 frame-a-second slide show of tiny pictures without sound
    // needs well over a hundred, any container's framing alone more than this.
    static constexpr double kLongest = 365.0 * 24 * 3600;
    static constexpr double kFewestBitsPerSecond = 32;

private:
    double bytes_ = 0;
    double offset_ = 0;
    double last_ = 0;
    bool seeking_ = false;
};

} // namespace quarn
