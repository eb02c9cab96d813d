#include "widgets/WindowShaping.h"

#include "widgets/PictureBox.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace quarn {

namespace {

// Watches a window's resizes for HoldSize.
class SizeHold : public QObject {
public:
    explicit SizeHold(QWidget& window) : QObject(&window), window_(&window) {
        setObjectName(QStringLiteral("SizeHold"));
        window.installEventFilter(this);
    }
    void Hold(QSize size) {
        wanted_ = size;
        asksLeft_ = kMostAsks;
        window_->resize(size);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize && window_->size() != wanted_ && asksLeft_ > 0) {
            --asksLeft_;
            QTimer::singleShot(0, window_, [window = window_, size = wanted_] {
                if (window) {
                    window->resize(size);
                }
            });
        }
        return false;
    }

private:
    static constexpr int kMostAsks = 3;
    QPointer<QWidget> window_;
    QSize wanted_;
    int asksLeft_ = 0;
};

} // namespace

std::vector<QRect> SkinRuns(const QImage& picture) {
    std::vector<QRect> runs;
    if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0) {
        return runs;
    }
    const QImage image =
        picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32
            ? picture
            : picture.convertToFormat(QImage::Format_RGB32);
    const int width = image.width();
    const QRgb key = reinterpret_cast<const QRgb*>(image.constScanLine(0))[0] & 0xFFFFFFu;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int x = 0;
        while (x < width) {
            while (x < width && (row[x] & 0xFFFFFFu) == key) {
                ++x;
            }
            if (x == width) {
                break;
            }
            const int start = x;
            while (x < width && (row[x] & 0xFFFFFFu) != key) {
                ++x;
            }
            runs.emplace_back(start, y, x - start, 1);
        }
    }
    return runs;
}

QRegion GetSkinRegion(const QImage& picture) {
    const std::vector<QRect> runs = SkinRuns(picture);
    QRegion region;
    // One step: the runs are already sorted and banded the way a region keeps them.
    region.setRects(runs.data(), static_cast<int>(runs.size()));
    return region;
}

namespace {

void prepare(PictureBox& picture) {
    picture.SetBorder(false);
    picture.AutoSize();
}

void applyRegion(QWidget& widget, const QRegion& region) {
    if (region.isEmpty()) {
        widget.clearMask();
    } else {
        widget.setMask(region);
    }
}

} // namespace

void ShapeForm(PictureBox& picture, QWidget& window) {
    prepare(picture);
    window.resize(picture.size());
    applyRegion(window, GetSkinRegion(picture.Picture()));
}

void ShapeControl(PictureBox& picture) {
    prepare(picture);
    applyRegion(picture, GetSkinRegion(picture.Picture()));
}

void HoldSize(QWidget& window, QSize size) {
    auto* hold =
        window.findChild<SizeHold*>(QStringLiteral("SizeHold"), Qt::FindDirectChildrenOnly);
    (hold != nullptr ? hold : new SizeHold(window))->Hold(size);
}

} // namespace quarn
