#include "shaping/TheShyt.h"

#include "forms/FormKit.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace quarn {

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

// A drag of a window from a press until its button is released. The window
// manager's move starts only once the mouse moves with the button still down:
// started from the press itself, a quick click could leave the window manager
// moving the window after the button was already up. The window manager is
// told of the left button only, so other buttons move the window here.
class WindowDrag : public QObject {
public:
    WindowDrag(QWidget& window, QPoint grabbedAt, Qt::MouseButton button)
        : QObject(&window), window_(window), offset_(grabbedAt - window.pos()), button_(button) {
        qApp->installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseMove) {
            const auto* move = static_cast<QMouseEvent*>(event);
            if (!(move->buttons() & button_)) {
                finish(); // the release went elsewhere
                return false;
            }
            if (!manual_ && button_ == Qt::LeftButton) {
                QWindow* handle = window_.windowHandle();
                if (handle != nullptr && handle->startSystemMove()) {
                    finish();
                    return true;
                }
            }
            manual_ = true;
            window_.move(move->globalPosition().toPoint() - offset_);
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == button_) {
            finish();
        }
        return false;
    }

private:
    void finish() {
        qApp->removeEventFilter(this);
        deleteLater();
    }

    QWidget& window_;
    QPoint offset_;
    Qt::MouseButton button_;
    bool manual_ = false;
};

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

void DragWindow(QWidget& target, QPoint grabbedAt, Qt::MouseButton button) {
    new WindowDrag(*target.window(), grabbedAt, button);
}

} // namespace quarn
