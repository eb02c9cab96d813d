#include "widgets/WindowLook.h"

#include "common/Layout.h"
#include "platform/Taskbar.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace quarn {

QFont DesignFont(const design::Font& font) {
    QFont f;
    f.setFamilies({QString::fromLatin1(font.family), QString::fromLatin1(font.fallback)});
    f.setPointSizeF(font.pointSize);
    f.setBold(font.bold);
    f.setItalic(font.italic);
    return f;
}

void MakeBorderless(QWidget& window) {
    window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    platform::KeepOutOfTaskbar(window);
}

void CenterOnScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->geometry();
    window.move(area.left() + (area.width() - window.width()) / 2,
                area.top() + (area.height() - window.height()) / 2);
}

void SetDesignColours(QWidget& widget, ColourWord back, ColourWord fore) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, ToQColor(back));
    palette.setColor(QPalette::WindowText, ToQColor(fore));
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

void CenterForm(QWidget& form) {
    const QScreen* on = form.screen() != nullptr ? form.screen() : QGuiApplication::primaryScreen();
    const QRect area = on->geometry();
    const TwipsPoint at =
        CenteredPosition(PixelsToTwips(area.width()), PixelsToTwips(area.height()),
                         PixelsToTwips(form.width()), PixelsToTwips(form.height()));
    form.move(area.topLeft() + QPoint(TwipsToPixels(at.left), TwipsToPixels(at.top)));
}

} // namespace quarn
