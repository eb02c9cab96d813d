#include "Artwork.h"

#include "Mark.h"
#include "Painting.h"
#include "Theme.h"

#include <QRadialGradient>
#include <array>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace skingen {

namespace {

// Lettering pressed into a steel plate: dark letters, a light lip below.
void engrave(QPainter& p, const QPainterPath& letters) {
    p.fillPath(letters.translated(0, 1), WithAlpha(theme::kRimLight, 200));
    p.fillPath(letters, QColor(theme::kNavyDeep));
}

void steelPlate(QPainter& p, const QPainterPath& plate) {
    const QRectF box = plate.boundingRect();
    QLinearGradient steel(box.topLeft(), box.bottomLeft());
    steel.setColorAt(0, QColor(theme::kRimLight));
    steel.setColorAt(0.5, QColor(theme::kFrame));
    steel.setColorAt(1, QColor(theme::kRimDark));
    p.fillPath(plate, QColor(theme::kOutline));
    const QPainterPath face = plate.intersected(plate.translated(0, 1))
                                  .intersected(plate.translated(0, -1))
                                  .intersected(plate.translated(1, 0))
                                  .intersected(plate.translated(-1, 0));
    p.fillPath(face, steel);
    BevelEdges(p, face, QColor(255, 255, 255, 90), QColor(0, 0, 0, 90));
}

// Steel lettering standing out from a dark ground.
void raisedLettering(QPainter& p, const QPainterPath& letters, int shadowSpread) {
    const QRectF box = letters.boundingRect();
    SoftShadow(p, letters, QPointF(0, shadowSpread * 0.8), shadowSpread, 220);
    p.strokePath(letters,
                 QPen(QColor(theme::kOutline), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QLinearGradient steel(box.topLeft(), box.bottomLeft());
    steel.setColorAt(0, QColor(theme::kGlyphLight));
    steel.setColorAt(0.48, QColor(theme::kGlyphDeep));
    steel.setColorAt(0.52, QColor(theme::kFrame));
    steel.setColorAt(1, QColor(theme::kRimDark));
    p.fillPath(letters, steel);
}

// --- splash -----------------------------------------------------------------

// The window shows 426 of the picture's 427 columns; the frame is drawn
// inside the shown part.
const QRectF kSplashShown(0, 0, 426, 416);
const QPointF kSplashMarkCentre(213, 146);
const QRectF kSplashLabelPlate(134, 346, 157, 46);

void splashBackdrop(QPainter& p) {
    QRadialGradient glow(kSplashMarkCentre, 330);
    glow.setColorAt(0, QColor(36, 62, 94));
    glow.setColorAt(0.55, QColor(14, 24, 40));
    glow.setColorAt(1, QColor(5, 8, 14));
    p.fillRect(QRectF(0, 0, 427, 416), glow);
    // Faint rays from behind the mark.
    for (int i = 0; i < 24; i += 2) {
        const qreal a0 = i * std::numbers::pi / 12, a1 = (i + 1) * std::numbers::pi / 12;
        QPainterPath ray;
        ray.moveTo(kSplashMarkCentre);
        ray.lineTo(kSplashMarkCentre + QPointF(std::cos(a0), std::sin(a0)) * 600);
        ray.lineTo(kSplashMarkCentre + QPointF(std::cos(a1), std::sin(a1)) * 600);
        ray.closeSubpath();
        p.fillPath(ray, QColor(120, 170, 220, 9));
    }
}

void splashSpecks(QPainter& p) {
    Prng random(0x5b1a54u);
    for (int i = 0; i < 110; ++i) {
        const QPointF at(4 + random.Unit() * 418, 4 + random.Unit() * 408);
        const qreal radius = 0.5 + random.Unit() * 0.9;
        const int alpha = 40 + int(random.Unit() * 110);
        if (kSplashLabelPlate.adjusted(-8, -8, 8, 8).contains(at))
            continue;
        QPainterPath speck;
        speck.addEllipse(at, radius, radius);
        p.fillPath(speck, WithAlpha(theme::kGlyphLight, alpha));
    }
}

void splashFrame(QPainter& p) {
    const QPainterPath outer = RoundedRect(kSplashShown, 0);
    const QPainterPath band = outer.subtracted(RoundedRect(kSplashShown.adjusted(3, 3, -3, -3), 4));
    p.fillPath(band, QColor(theme::kFrame));
    BevelEdges(p, RoundedRect(kSplashShown.adjusted(1, 1, -1, -1), 0),
               WithAlpha(theme::kRimLight, 200), WithAlpha(theme::kRimDark, 220));
    p.fillPath(outer.subtracted(RoundedRect(kSplashShown.adjusted(1, 1, -1, -1), 0)),
               QColor(theme::kOutline));
    SunkenEdges(p, RoundedRect(kSplashShown.adjusted(3, 3, -3, -3), 4), QColor(0, 0, 0, 200),
                WithAlpha(theme::kRimLight, 90));
}

void splashName(QPainter& p) {
    const QPainterPath name =
        CentredOn(TextPath(theme::kSansBold, 72, QStringLiteral("QUARN"), 5), QPointF(213, 296));
    raisedLettering(p, name, 4);
    Gloss(p, name, 90, 0.5);
}

// The calm, dark plate on which the program writes "Media Player".
void splashLabel(QPainter& p) {
    const qreal y = kSplashLabelPlate.center().y();
    for (int side = 0; side < 2; ++side) {
        const qreal from = side == 0 ? 26 : 400, to = side == 0 ? 124 : 302;
        QLinearGradient fade(QPointF(from, y), QPointF(to, y));
        fade.setColorAt(0, WithAlpha(theme::kFrame, 0));
        fade.setColorAt(1, WithAlpha(theme::kFrame, 200));
        p.fillRect(QRectF(std::min(from, to), y - 0.5, std::abs(to - from), 1), fade);
    }
    const QPainterPath plate = RoundedRect(kSplashLabelPlate, 9);
    p.fillPath(plate, QColor(4, 8, 15, 235));
    p.strokePath(RoundedRect(kSplashLabelPlate.adjusted(0.5, 0.5, -0.5, -0.5), 8.5),
                 QPen(WithAlpha(theme::kFrame, 150), 1));
    Gloss(p, plate, 14, 0.5);
}

} // namespace

QImage SplashPicture() {
    QImage art = NewCanvas(427, 416);
    {
        QPainter p(&art);
        Prepare(p);
        splashBackdrop(p);
        splashSpecks(p);
        DrawMark(p, kSplashMarkCentre, 92);
        splashName(p);
        splashLabel(p);
        splashFrame(p);
    }
    return Flattened(art, theme::kNavyDeep);
}

// --- About box ----------------------------------------------------------------

namespace {

const QRectF kAboutBox(0, 0, 358, 402);

void aboutBackdrop(QPainter& p) {
    p.fillRect(kAboutBox, Vertical(kAboutBox, QColor(24, 37, 56), QColor(7, 11, 19)));
    QRadialGradient glow(QPointF(93, 112), 120);
    glow.setColorAt(0, QColor(70, 120, 170, 60));
    glow.setColorAt(1, QColor(70, 120, 170, 0));
    p.fillRect(kAboutBox, glow);
    QRadialGradient lower(QPointF(177, 248), 130);
    lower.setColorAt(0, QColor(70, 120, 170, 45));
    lower.setColorAt(1, QColor(70, 120, 170, 0));
    p.fillRect(kAboutBox, lower);
}

void aboutFrame(QPainter& p) {
    const QPainterPath outer = RoundedRect(kAboutBox, 0);
    const QPainterPath inner = RoundedRect(kAboutBox.adjusted(4, 4, -4, -4), 6);
    const QPainterPath rim = RoundedRect(kAboutBox.adjusted(1, 1, -1, -1), 0);
    p.fillPath(outer.subtracted(inner), QColor(theme::kOutline));
    p.fillPath(rim.subtracted(inner), QColor(theme::kFrame));
    BevelEdges(p, rim, WithAlpha(theme::kRimLight, 200), WithAlpha(theme::kRimDark, 220));
    SunkenEdges(p, inner, QColor(0, 0, 0, 200), WithAlpha(theme::kRimLight, 90));
}

// Beside the animation, where the empty label lies: the product's name.
void aboutTitle(QPainter& p) {
    const qreal centreX = 238;
    const QPainterPath name =
        CentredOn(TextPath(theme::kSansBold, 36, QStringLiteral("QUARN"), 2), QPointF(centreX, 78));
    raisedLettering(p, name, 2);
    const QPainterPath subtitle =
        CentredOn(TextPath(theme::kComicBold, 19, QStringLiteral("Media Player"), 0.5),
                  QPointF(centreX, 112));
    p.fillPath(subtitle, QColor(theme::kGlyphDeep));
    QLinearGradient rule(QPointF(162, 0), QPointF(314, 0));
    rule.setColorAt(0, WithAlpha(theme::kFrame, 0));
    rule.setColorAt(0.5, WithAlpha(theme::kFrame, 220));
    rule.setColorAt(1, WithAlpha(theme::kFrame, 0));
    p.fillRect(QRectF(162, 132, 152, 1), rule);
    const QPainterPath tagline =
        CentredOn(TextPath(theme::kComicBold, 13, QStringLiteral("movies and music"), 0.3),
                  QPointF(centreX, 152));
    p.fillPath(tagline, WithAlpha(theme::kFrame, 220));
}

// A raised, dark button face for the "OK" label.
void okButton(QPainter& p, const QRectF& box) {
    p.fillPath(RoundedRect(box, 8), QColor(theme::kOutline));
    const QPainterPath face = RoundedRect(box.adjusted(1, 1, -1, -1), 7);
    p.fillPath(face, Vertical(box, QColor(theme::kNavyLight), QColor(theme::kNavyDeep)));
    BevelEdges(p, face, WithAlpha(theme::kRimLight, 120), QColor(0, 0, 0, 160));
    Gloss(p, face, 24, 0.5);
}

// A well behind the animation, and dark plates under the box's cyan labels.
void aboutLabelPlates(QPainter& p) {
    const QColor face(4, 9, 16, 235), light = WithAlpha(theme::kRimLight, 70);
    SunkenWell(p, QRectF(36, 36, 114, 152), 8, QColor(4, 9, 16, 120), light);
    SunkenWell(p, QRectF(45, 302, 143, 29), 6, face, light);
    SunkenWell(p, QRectF(189, 302, 127, 29), 6, face, light);
    okButton(p, QRectF(45, 334, 271, 29));
}

} // namespace

QImage AboutPicture() {
    QImage art = NewCanvas(358, 402);
    {
        QPainter p(&art);
        Prepare(p);
        aboutBackdrop(p);
        aboutTitle(p);
        aboutLabelPlates(p);
        aboutFrame(p);
    }
    return Flattened(art, theme::kOutline);
}

// --- About animation --------------------------------------------------------

namespace {

const BarHeights kRestingBars{0.3, 0.5, 0.7, 0.5, 0.3};
// Each frame's bars: a lively, uneven bounce that loops after frame 4.
const std::array<BarHeights, 4> kFrameBars{{{0.55, 0.9, 0.6, 0.35, 0.7},
                                            {0.85, 0.55, 0.95, 0.7, 0.4},
                                            {0.45, 0.75, 0.45, 0.95, 0.65},
                                            {0.3, 0.6, 0.8, 0.5, 0.9}}};

// A row of lights in the stand's plate; every fourth one is lit, and the lit
// ones move one place to the right per frame.
void chaserLights(QPainter& p, int step) {
    SunkenWell(p, QRectF(14, 117, 78, 16), 7, QColor(theme::kLcd),
               WithAlpha(theme::kRimLight, 120));
    for (int i = 0; i < 7; ++i) {
        const QPointF centre(23 + i * 10, 125);
        const bool lit = (i - step) % 4 == 0;
        QPainterPath light;
        light.addEllipse(centre, 2.8, 2.8);
        if (lit) {
            QPainterPath halo;
            halo.addEllipse(centre, 4.5, 4.5);
            p.fillPath(halo, WithAlpha(theme::kFrame, 110));
        }
        p.fillPath(light, lit ? QColor(theme::kGlyphLight) : QColor(theme::kNavyLight));
    }
}

QImage animationPicture(qreal turn, int chaserStep, const BarHeights& bars) {
    QImage art = NewCanvas(106, 144);
    {
        QPainter p(&art);
        Prepare(p);
        steelPlate(p, RoundedRect(QRectF(44, 90, 18, 24), 2));
        const QPainterPath plate = RoundedRect(QRectF(6, 110, 94, 30), 8);
        steelPlate(p, plate);
        Gloss(p, plate, 60, 0.5);
        chaserLights(p, chaserStep);
        DrawAnimatedMark(p, QPointF(53, 52), 48, turn, bars);
    }
    return Keyed(art, theme::kEyMagenta, theme::kOutline);
}

} // namespace

QImage AboutPicture1() {
    return animationPicture(0, 0, kRestingBars);
}

QImage AboutFrame(int frame) {
    if (frame < 1 || frame > 4)
        throw std::out_of_range("the About animation has frames 1 to 4");
    return animationPicture(frame * 0.25, frame, kFrameBars[static_cast<size_t>(frame - 1)]);
}

namespace {

// A ribbon's end: a band with a notch cut into its outer edge.
QPainterPath ribbonTail(bool left) {
    const qreal outer = left ? 1 : 193, inner = left ? 34 : 160, notch = left ? 13 : 181;
    QPainterPath tail;
    tail.moveTo(inner, 20);
    tail.lineTo(outer, 20);
    tail.lineTo(notch, 45);
    tail.lineTo(outer, 70);
    tail.lineTo(inner, 70);
    tail.closeSubpath();
    return tail;
}

} // namespace

QImage AboutPicture2() {
    QImage art = NewCanvas(194, 81);
    {
        QPainter p(&art);
        Prepare(p);
        for (bool left : {true, false}) {
            const QPainterPath tail = ribbonTail(left);
            p.fillPath(tail, QColor(theme::kOutline));
            p.fillPath(
                tail.intersected(tail.translated(0, 1)).intersected(tail.translated(0, -1)),
                Vertical(tail.boundingRect(), QColor(theme::kFrame), QColor(theme::kRimDark)));
        }
        const QPainterPath plate = RoundedRect(QRectF(18, 3, 158, 72), 12);
        SoftShadow(p, plate, QPointF(0, 2), 2, 160);
        steelPlate(p, plate);
        Gloss(p, plate, 70, 0.5);
        engrave(p, CentredOn(TextPath(theme::kSansBold, 31, QStringLiteral("QUARN"), 2.5),
                             QPointF(97, 33)));
        engrave(p, CentredOn(TextPath(theme::kSansBold, 11, QStringLiteral("MEDIA PLAYER"), 2.2),
                             QPointF(97, 59)));
    }
    return Keyed(art, theme::kEyMagenta, theme::kOutline);
}

} // namespace skingen
