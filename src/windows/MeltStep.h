#pragma once

// The arithmetic of the melt effect, free of any window: where each block
// comes from and where it goes, the block copy itself, and the bookkeeping of
// what changed since the screen was last shown.

#include <QImage>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QString>
#include <cstdint>
#include <random>
#include <vector>

namespace quarn::melt {

// The block that each step moves is this many pixels wide and high.
inline constexpr int kBlockSize = 128;

struct Step {
    std::int16_t x = 0; // top-left corner of the block
    std::int16_t y = 0;
    std::int16_t dx = 0; // shift of the copy, -1, 0 or 1
    std::int16_t dy = 0;

    friend bool operator==(const Step&, const Step&) = default;
};

// One step on a width x height screen from four random numbers in [0, 1),
// drawn in the order x, y, dx, dy:
//   x  = (width - 128) * r1, y = (height - 128) * r2,
//   dx = 2 * r3 - 1,         dy = 2 * r4 - 1,
// each product formed exactly and rounded to the nearest integer, a half
// going to the even neighbour (so 0.25 and 0.75 give a shift of 0).
Step MakeStep(std::int16_t width, std::int16_t height, float r1, float r2, float r3, float r4);

// Whether a key ends the effect: one that types a character does (a letter, a
// digit, a sign, Space, Enter, Escape, Backspace, Tab, a Ctrl chord); one that
// types none leaves it running (the arrows, the function keys, Delete, Shift
// on its own). Decided by the key, as some that type nothing still bring a
// control code along (Delete brings DEL).
bool KeyEndsMelt(int key, const QString& text);

// The screen size as the step works with it: whole pixels held in 16 bits.
std::int16_t ScreenExtent(int pixels);

// Uniform single-precision numbers in [0, 1); every value is a multiple of
// 2^-24, so 1 itself can never come up.
class RandomSource {
public:
    explicit RandomSource(std::uint32_t seed) : engine_(seed) {}
    float Next() { return static_cast<float>(engine_() >> 8) * 0x1p-24f; }

private:
    std::mt19937 engine_;
};

// Seeds from the time of day, as milliseconds since midnight.
std::uint32_t TimeOfDaySeed();

// Copies the block of `image` with top-left corner (x, y) to top-left corner
// (x + dx, y + dy) within the same image. Source and destination may overlap;
// the result is that of a copy through a temporary. Pixels whose source or
// destination lies outside the image are left out. Returns the rectangle of
// pixels written (empty when nothing moved). The image must be 32 bits a pixel.
QRect CopyBlock(QImage& image, int x, int y, int dx, int dy, int size = kBlockSize);

// Remembers which parts of a surface changed, on a grid of small tiles, so
// that many overlapping changes cost little to note and add up to a short list
// of rectangles when the surface is shown.
class DirtyTiles {
public:
    static constexpr int kTile = 16;

    explicit DirtyTiles(QSize surface);

    void Mark(const QRect& rect);
    bool IsEmpty() const { return empty_; }
    // Everything marked since the last call, as rectangles (tiles merged along
    // each row of tiles, clipped to the surface), and forgets it.
    QRegion Take();

private:
    QSize surface_;
    int columns_;
    int rows_;
    std::vector<std::uint8_t> tiles_;
    bool empty_ = true;
};

} // namespace quarn::melt
