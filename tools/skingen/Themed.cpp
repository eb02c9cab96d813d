#include "Themed.h"

#include "Painting.h"
#include "Skins.h"
#include "Theme.h"

#include <QPainter>
#include <map>
#include <stdexcept>

namespace skingen {

namespace {

// Draws in 1x pixels on a canvas `scale` times the size, then cuts the
// picture by the skin's key.
class Canvas {
public:
    Canvas(QSize size, int scale, const Look& look)
        : look_(look), art_(NewCanvas(size.width() * scale, size.height() * scale)),
          painter_(&art_) {
        Prepare(painter_);
        painter_.scale(scale, scale);
    }
    QPainter& Painter() { return painter_; }
    QImage Keyed() {
        painter_.end();
        return look_.alphaKey ? HardEdged(art_, look_.outline)
                              : skingen::Keyed(art_, look_.keyColour, look_.outline);
    }

private:
    const Look& look_;
    QImage art_;
    QPainter painter_;
};

// A window's panel: the outline, the face lit from above, the accent stripe.
void panel(QPainter& p, const Look& look, const QRectF& box, bool flat = false) {
    const QPainterPath outer = RoundedRect(box, look.radius);
    const qreal w = look.outlineWidth;
    const QRectF inner = box.adjusted(w, w, -w, -w);
    const QPainterPath face = RoundedRect(inner, std::max<qreal>(look.radius - w, 1));
    p.fillPath(outer, QColor(look.outline));
    if (flat)
        p.fillPath(face, QColor(look.panelTop));
    else
        p.fillPath(face, Vertical(inner, QColor(look.panelTop), QColor(look.panelBottom)));
    if (look.accentHeight > 0) {
        QPainterPath stripe;
        stripe.addRect(QRectF(inner.left(), inner.top(), inner.width(), look.accentHeight));
        p.fillPath(stripe.intersected(face), QColor(look.accent));
    }
}

// The field behind a text or the list: `inside` is what the program draws in.
void field(QPainter& p, const Look& look, const QRectF& inside) {
    const qreal e = look.fieldEdgeWidth;
    const QRectF box = inside.adjusted(-e, -e, e, e);
    p.fillPath(RoundedRect(box, look.fieldRadius), QColor(look.fieldEdge));
    p.fillPath(RoundedRect(inside, std::max<qreal>(look.fieldRadius - e, 0.5)), QColor(look.field));
}

// The field behind a text: a little wider than its rectangle.
void textField(QPainter& p, const Look& look, const QRect& rect) {
    field(p, look, QRectF(rect).adjusted(-3, -1, 3, 1));
}

QImage button(const Look& look, QSize size, ButtonGlyph glyph, bool pressed, int scale) {
    Canvas canvas(size, scale, look);
    QPainter& p = canvas.Painter();
    const QRectF box(QPointF(0, 0), QSizeF(size));
    const qreal e = look.buttonEdgeWidth;
    p.fillPath(RoundedRect(box, look.buttonRadius), QColor(look.buttonEdge));
    const QRectF face = box.adjusted(e, e, -e, -e);
    p.fillPath(RoundedRect(face, std::max<qreal>(look.buttonRadius - e, 1)),
               Vertical(face, QColor(pressed ? look.pressedTop : look.buttonTop),
                        QColor(pressed ? look.pressedBottom : look.buttonBottom)));
    const qreal glyphSize = std::min(size.width(), size.height()) * 0.5;
    const QPointF centre = box.center() + QPointF(0, pressed ? 1 : 0);
    p.fillPath(ButtonGlyphPath(glyph, centre, glyphSize),
               QColor(pressed ? look.pressedGlyph : look.glyph));
    return canvas.Keyed();
}

QImage toolbar(const SkinData& skin, const Look& look, int scale) {
    Canvas canvas(skin.toolbar.size, scale, look);
    panel(canvas.Painter(), look, QRectF(QPointF(0, 0), QSizeF(skin.toolbar.size)));
    textField(canvas.Painter(), look, skin.toolbar.time.rect);
    return canvas.Keyed();
}

QImage titleStrip(const SkinData& skin, const Look& look, int scale) {
    Canvas canvas(skin.titleStrip.size, scale, look);
    panel(canvas.Painter(), look, QRectF(QPointF(0, 0), QSizeF(skin.titleStrip.size)));
    textField(canvas.Painter(), look, skin.titleStrip.title.rect);
    return canvas.Keyed();
}

// Three short lines, the longest on top, in the middle of the grip, on whole
// pixels so that they stay sharp.
void grip(QPainter& p, const Look& look, const QRect& box) {
    const int widths[] = {box.width() * 3 / 4, box.width() / 2, box.width() / 4};
    const int step = box.height() / 3;
    for (int i = 0; i < 3; ++i)
        p.fillRect(QRect(box.center().x() + 1 - widths[i] / 2, box.top() + step * i + step / 2 - 1,
                         widths[i], 2),
                   QColor(look.groove));
}

SlicedSkin playlist(const SkinData& skin, const Look& look, int scale) {
    const PlaylistData& data = skin.playlist;
    const int drawn = data.topHeight + 3 * data.middleHeight + data.bottomHeight;
    const int bottomAt = drawn - data.bottomHeight;
    Canvas canvas(QSize(data.width, drawn), scale, look);
    QPainter& p = canvas.Painter();
    // Flat, so that the middle repeats without a seam.
    panel(p, look, QRectF(0, 0, data.width, drawn), true);
    const QPainterPath name = CentredOn(
        TextPath(theme::kSansBold, std::max(9, data.listTop / 3), QStringLiteral("PLAYLIST"), 1.2),
        QPointF(data.width / 2.0, (look.accentHeight + look.outlineWidth + data.listTop) / 2.0));
    p.fillPath(name, QColor(look.lettering));
    field(p, look,
          QRectF(data.listLeft, data.listTop, data.listWidth,
                 drawn - data.listBottom - data.listTop));
    field(p, look, QRectF(data.total.translated(0, bottomAt)));
    field(p, look, QRectF(data.marks.translated(0, bottomAt)));
    grip(p, look, data.grip.translated(0, bottomAt));
    const QImage keyed = canvas.Keyed();
    return Sliced(keyed, data.topHeight * scale, data.middleHeight * scale,
                  data.bottomHeight * scale, Qt::Vertical);
}

SlicedSkin bar(const SkinData& skin, const Look& look, int scale) {
    const BarData& data = skin.bar;
    const int drawn = 2 * data.capWidth + 3 * data.middleWidth;
    Canvas canvas(QSize(drawn, data.height), scale, look);
    panel(canvas.Painter(), look, QRectF(0, 0, drawn, data.height));
    return Sliced(canvas.Keyed(), data.capWidth * scale, data.middleWidth * scale,
                  data.capWidth * scale, Qt::Horizontal);
}

QImage tile(const SkinData& skin, const Look& look, int scale) {
    const QSize size = skin.main.tileSize * scale;
    QImage image(size, QImage::Format_RGB32);
    image.fill(look.tileBase);
    for (int y = 0; y < size.height(); y += 4 * scale)
        for (int x = (y / (4 * scale)) % 2 * 2 * scale; x < size.width(); x += 4 * scale)
            for (int d = 0; d < scale * scale; ++d)
                image.setPixel(x + d % scale, y + d / scale, look.tileDot);
    return image;
}

} // namespace

std::vector<std::pair<QString, QImage>> ThemedPictures(const SkinData& skin, const Look& look,
                                                       int scale) {
    std::vector<std::pair<QString, QImage>> pictures;
    pictures.emplace_back(skin.toolbar.picture, toolbar(skin, look, scale));
    pictures.emplace_back(skin.titleStrip.picture, titleStrip(skin, look, scale));
    // A picture named by several buttons is drawn once.
    std::map<QString, bool> drawn;
    auto add = [&](const QString& name, const QImage& picture) {
        if (!name.isEmpty() && !drawn[name]) {
            drawn[name] = true;
            pictures.emplace_back(name, picture);
        }
    };
    for (const auto* buttons : {&skin.toolbar.buttons, &skin.bar.buttons}) {
        for (const ButtonData& b : *buttons) {
            add(b.picture, button(look, b.rect.size(), b.glyph, false, scale));
            add(b.pressed, button(look, b.rect.size(), b.glyph, true, scale));
            add(b.active, button(look, b.rect.size(), b.activeGlyph, false, scale));
        }
    }
    pictures.emplace_back(skin.main.tile, tile(skin, look, scale));
    const SlicedSkin list = playlist(skin, look, scale);
    pictures.emplace_back(skin.playlist.top, list.first);
    pictures.emplace_back(skin.playlist.middle, list.middle);
    pictures.emplace_back(skin.playlist.bottom, list.last);
    const SlicedSkin controls = bar(skin, look, scale);
    pictures.emplace_back(skin.bar.left, controls.first);
    pictures.emplace_back(skin.bar.middle, controls.middle);
    pictures.emplace_back(skin.bar.right, controls.last);
    return pictures;
}

void CheckContrast(const SkinData& skin, const Look& look, double minimum) {
    const PlaylistData& list = skin.playlist;
    const SliderData& seek = skin.main.seekBar;
    const struct {
        const char* what;
        QRgb front, back;
    } pairs[] = {
        {"the title", skin.titleStrip.title.colour, look.field},
        {"the toolbar's time", skin.toolbar.time.colour, look.field},
        {"the full-screen bar's time", skin.bar.time.colour, look.panelTop},
        {"the full-screen bar's time (below)", skin.bar.time.colour, look.panelBottom},
        {"the main window's text", skin.main.text, skin.main.background},
        {"the playlist's text", list.text, list.background},
        {"the entry playing", list.playing, list.background},
        {"a missing entry", list.missing, list.background},
        {"the selected text", list.text, list.selection},
        {"the selected entry playing", list.playing, list.selection},
        {"a selected missing entry", list.missing, list.selection},
        {"the scroll bar", list.scrollBar, list.background},
        {"the menu's text", skin.menu.text, skin.menu.background},
        {"the menu's selected text", skin.menu.selectedText, skin.menu.selectedBackground},
        {"the menu's disabled text", skin.menu.disabledText, skin.menu.background},
        {"the notice's text", skin.notice.text, skin.notice.background},
        {"a pictogram", look.glyph, look.buttonTop},
        {"a pictogram (below)", look.glyph, look.buttonBottom},
        {"a pressed pictogram", look.pressedGlyph, look.pressedTop},
        {"a button's edge", look.buttonEdge, look.panelTop},
        {"the seek bar's thumb", seek.thumb, seek.track},
        {"the seek bar's thumb under the pointer", seek.thumbHover, seek.track},
        {"the seek bar's edge", seek.border, skin.main.background},
        {"the seek bar's ends", seek.ends, seek.track},
        {"a disabled seek bar's thumb", seek.disabledThumb, seek.disabledTrack},
        {"the volume's thumb", skin.bar.volume.thumb, skin.bar.volume.track},
        {"the volume's edge", skin.bar.volume.border, look.panelTop},
        {"the focus mark", skin.focus, look.panelTop},
    };
    for (const auto& pair : pairs) {
        const double ratio = ContrastRatio(pair.front, pair.back);
        if (ratio < minimum)
            throw std::runtime_error(QStringLiteral("%1: %2 stands out only %3:1 from %4")
                                         .arg(skin.name, QString::fromLatin1(pair.what))
                                         .arg(ratio, 0, 'f', 2)
                                         .arg(ColourName(pair.back))
                                         .toStdString());
    }
}

} // namespace skingen
