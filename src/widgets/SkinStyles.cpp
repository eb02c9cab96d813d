#include "widgets/SkinStyles.h"

#include <QLabel>

namespace quarn {

namespace {

QString px(int pixels, double scale) {
    return QString::number(Scaled(pixels, scale)) + QStringLiteral("px");
}

QString hex(const QColor& colour) {
    return colour.name(QColor::HexRgb);
}

} // namespace

QString SeekBarStyle(const SkinSlider& s, int height, double scale) {
    const int ends = s.endWidth > 0 ? s.endWidth + 1 : 0;
    QString style =
        QStringLiteral("\nQScrollBar:horizontal { background: %1; border: %2 solid %3; height: %4; "
                       "margin: 0 %5; }\n"
                       "QScrollBar:horizontal:disabled { background: %6; border-color: %7; }\n"
                       "QScrollBar::handle:horizontal { background: %8; min-width: %9; "
                       "border-radius: %10; }\n"
                       "QScrollBar::handle:horizontal:hover { background: %11; }\n"
                       "QScrollBar::handle:horizontal:disabled { background: %12; }\n")
            .arg(hex(s.track), px(1, scale), hex(s.border), px(height, scale), px(ends, scale),
                 hex(s.disabledTrack), hex(s.disabledBorder), hex(s.thumb),
                 px(s.thumbMinWidth, scale))
            .arg(px(s.thumbRadius, scale), hex(s.thumbHover), hex(s.disabledThumb));
    if (s.endWidth > 0) {
        style +=
            QStringLiteral("QScrollBar::add-line:horizontal, QScrollBar::sub-line:horizontal {\n"
                           "    background: %1; border: %2 solid %3; width: %4; subcontrol-origin: "
                           "margin; }\n"
                           "QScrollBar::add-line:horizontal { subcontrol-position: right; }\n"
                           "QScrollBar::sub-line:horizontal { subcontrol-position: left; }\n")
                .arg(hex(s.ends), px(1, scale), hex(s.border), px(s.endWidth, scale));
    } else {
        style += QStringLiteral("QScrollBar::add-line:horizontal, QScrollBar::sub-line:horizontal "
                                "{ width: 0; border: none; }\n");
    }
    return style + QStringLiteral("QScrollBar::add-page:horizontal, "
                                  "QScrollBar::sub-page:horizontal { background: none; }\n");
}

QString SliderStyle(const SkinSlider& s, int height, double scale, const QColor& focus) {
    return QStringLiteral("QSlider:focus { border: %1 solid %2; }\n")
               .arg(px(1, scale), hex(focus)) +
           QStringLiteral(
               "QSlider::groove:horizontal { background: %1; border: %2 solid %3; height: %4; }\n"
               "QSlider::groove:horizontal:disabled { background: %5; border-color: %6; }\n"
               "QSlider::handle:horizontal { background: %7; width: %8; border-radius: %9; "
               "margin: 0; }\n"
               "QSlider::handle:horizontal:hover { background: %10; }\n"
               "QSlider::handle:horizontal:disabled { background: %11; }\n")
               .arg(hex(s.track), px(1, scale), hex(s.border), px(height - 2, scale),
                    hex(s.disabledTrack), hex(s.disabledBorder), hex(s.thumb),
                    px(s.thumbMinWidth, scale), px(s.thumbRadius, scale))
               .arg(hex(s.thumbHover), hex(s.disabledThumb));
}

QString MenuStyle(const MenuSkin& m, double scale) {
    return QStringLiteral("QMenu { background: %1; color: %2; border: %3 solid %4; }"
                          "QMenu::item { padding: %5 %6 %5 %7; }"
                          "QMenu::item:selected { background: %8; color: %9; }"
                          "QMenu::item:disabled { color: %10; }"
                          "QMenu::separator { height: %3; background: %11; margin: %5 %12; }")
        .arg(hex(m.background), hex(m.text), px(1, scale), hex(m.border), px(3, scale),
             px(24, scale), px(22, scale), hex(m.selectedBackground), hex(m.selectedText))
        .arg(hex(m.disabledText), hex(m.separator), px(6, scale));
}

QString NoticeStyle(const NoticeSkin& n, double scale) {
    return QStringLiteral("background: %1; color: %2; padding: %3 %4; border: %5 solid %6;")
        .arg(hex(n.background), hex(n.text), px(6, scale), px(10, scale), px(1, scale),
             hex(n.border));
}

QString ListStyle(const PlaylistSkin& p, double scale) {
    return QStringLiteral(
               "\nQListView { background: %1; border: none; color: %2; outline: none; }\n"
               "QListView::item:selected { background: %3; }\n"
               "QScrollBar:vertical { background: %1; width: %4; margin: 0; }\n"
               "QScrollBar::handle:vertical { background: %5; min-height: %6; border-radius: %7; "
               "}\n"
               "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }\n"
               "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; "
               "}\n")
        .arg(hex(p.background), hex(p.text), hex(p.selection), px(8, scale), hex(p.scrollBar),
             px(16, scale), px(2, scale));
}

void SetTextLook(QLabel& label, const SkinText& text, double scale) {
    label.setGeometry(Scaled(text.rect, scale));
    label.setFont(text.font.At(scale));
    label.setAlignment(text.alignment);
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, text.colour);
    label.setPalette(palette);
}

} // namespace quarn
