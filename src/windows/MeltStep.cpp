#include "windows/MeltStep.h"

#include "common/Rounding.h"

#include <QTime>
#include <algorithm>
#include <cstring>

namespace quarn::melt {

namespace {

// A 16-bit difference times a single-precision number needs at most 40 bits
// of mantissa, so the product is exact in a double.
std::int16_t scaled(std::int16_t extent, float r) {
    const auto span = static_cast<std::int16_t>(extent - kBlockSize);
    return RoundToInt16(static_cast<double>(span) * static_cast<double>(r));
}

std::int16_t shift(float r) {
    return RoundToInt16(2.0 * static_cast<double>(r) - 1.0);
}

} // namespace

Step MakeStep(std::int16_t width, std::int16_t height, float r1, float r2, float r3, float r4) {
    Step step;
    step.x = scaled(width, r1);
    step.y = scaled(height, r2);
    step.dx = shift(r3);
    step.dy = shift(r4);
    return step;
}

bool KeyEndsMelt(int key, const QString& text) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Backspace:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return true;
    case Qt::Key_Delete:
        return false;
    default:
        return !text.isEmpty() && text.at(0) != QChar(0x7f);
    }
}

std::int16_t ScreenExtent(int pixels) {
    return RoundToInt16(static_cast<double>(pixels));
}

std::uint32_t TimeOfDaySeed() {
    return static_cast<std::uint32_t>(QTime::currentTime().msecsSinceStartOfDay());
}

QRect CopyBlock(QImage& image, int x, int y, int dx, int dy, int size) {
    if (dx == 0 && dy == 0) {
        return {};
    }
    const QRect bounds = image.rect();
    // The pixels written: inside the image, with their source inside it too.
    const QRect target = QRect(x + dx, y + dy, size, size) & bounds & bounds.translated(dx, dy);
    if (target.isEmpty()) {
        return {};
    }
    const qsizetype stride = image.bytesPerLine();
    const int pixelBytes = image.depth() / 8;
    uchar* const bits = image.bits();
    const std::size_t rowBytes = static_cast<std::size_t>(target.width()) * pixelBytes;
    const qsizetype sourceOffset = -static_cast<qsizetype>(dy) * stride - dx * pixelBytes;
    auto copyRow = [&](int row) {
        uchar* to = bits + row * stride + static_cast<qsizetype>(target.left()) * pixelBytes;
        // memmove: within a row the source and the destination overlap.
        std::memmove(to, to + sourceOffset, rowBytes);
    };
    // Moving down, the rows are copied from the bottom up so that no source row
    // is overwritten before it is read.
    if (dy > 0) {
        for (int row = target.bottom(); row >= target.top(); --row) {
            copyRow(row);
        }
    } else {
        for (int row = target.top(); row <= target.bottom(); ++row) {
            copyRow(row);
        }
    }
    return target;
}

DirtyTiles::DirtyTiles(QSize surface)
    : surface_(surface), columns_((std::max(surface.width(), 0) + kTile - 1) / kTile),
      rows_((std::max(surface.height(), 0) + kTile - 1) / kTile),
      tiles_(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_), 0) {}

void DirtyTiles::Mark(const QRect& rect) {
    const QRect clipped = rect & QRect(QPoint(0, 0), surface_);
    if (clipped.isEmpty()) {
        return;
    }
    const int left = clipped.left() / kTile;
    const int right = clipped.right() / kTile;
    for (int row = clipped.top() / kTile; row <= clipped.bottom() / kTile; ++row) {
        std::memset(&tiles_[static_cast<std::size_t>(row * columns_ + left)], 1,
                    static_cast<std::size_t>(right - left + 1));
    }
    empty_ = false;
}

QRegion DirtyTiles::Take() {
    QRegion region;
    if (empty_) {
        return region;
    }
    std::vector<QRect> rects;
    const QRect bounds(QPoint(0, 0), surface_);
    std::size_t bandStart = 0; // the previous row's runs: rects[bandStart, bandEnd)
    std::size_t bandEnd = 0;
    for (int row = 0; row < rows_; ++row) {
        std::uint8_t* tiles = &tiles_[static_cast<std::size_t>(row * columns_)];
        const std::size_t rowStart = rects.size();
        int column = 0;
        while (column < columns_) {
            if (tiles[column] == 0) {
                ++column;
                continue;
            }
            const int start = column;
            while (column < columns_ && tiles[column] != 0) {
                tiles[column++] = 0;
            }
            rects.push_back(QRect(start * kTile, row * kTile, (column - start) * kTile, kTile) &
                            bounds);
        }
        // A row with the same runs as the row above lengthens those instead.
        const std::size_t count = rects.size() - rowStart;
        const bool same =
            count > 0 && count == bandEnd - bandStart &&
            rects[bandStart].bottom() + 1 == rects[rowStart].top() &&
            std::equal(rects.begin() + static_cast<std::ptrdiff_t>(rowStart), rects.end(),
                       rects.begin() + static_cast<std::ptrdiff_t>(bandStart),
                       [](const QRect& a, const QRect& b) {
                           return a.left() == b.left() && a.right() == b.right();
                       });
        if (same) {
            const int bottom = rects.back().bottom();
            rects.resize(rowStart);
            for (std::size_t i = bandStart; i < bandEnd; ++i) {
                rects[i].setBottom(bottom);
            }
        } else if (count > 0) {
            bandStart = rowStart;
            bandEnd = rects.size();
        }
    }
    // Already in the banded order a region keeps: bands from the top, runs from
    // the left, one height per band, no two runs touching.
    region.setRects(rects.data(), static_cast<int>(rects.size()));
    empty_ = true;
    return region;
}

} // namespace quarn::melt
