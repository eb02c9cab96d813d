#include "Skins.h"

#include "Painting.h"
#include "Theme.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace skingen {

namespace {

// The dark display windows behind the time and the title: nearly black,
// with faint scan lines, so that the program's steel-blue text reads.
void displayWindow(QPainter& p, const QRectF& box, qreal radius) {
    const QPainterPath window = RoundedRect(box, radius);
    p.fillPath(window, Vertical(box, QColor(3, 7, 13), QColor(10, 19, 31)));
    // A faint backlight, brightest in the middle.
    QLinearGradient backlight(box.topLeft(), box.topRight());
    backlight.setColorAt(0, QColor(40, 80, 120, 0));
    backlight.setColorAt(0.5, QColor(40, 80, 120, 38));
    backlight.setColorAt(1, QColor(40, 80, 120, 0));
    p.fillPath(window, backlight);
    p.save();
    p.setClipPath(window);
    for (qreal y = box.top() + 1; y < box.bottom(); y += 2)
        p.fillRect(QRectF(box.left(), y, box.width(), 1), QColor(0, 0, 0, 60));
    p.restore();
    Gloss(p, window, 16, 0.5);
    SunkenEdges(p, window, QColor(0, 0, 0, 200), WithAlpha(theme::kRimLight, 80));
}

// A raised rim in the frame colour, lit from above, around a shape.
void frameRim(QPainter& p, const QPainterPath& outer, const QPainterPath& band) {
    p.fillPath(outer, QColor(theme::kOutline));
    p.fillPath(band, QColor(theme::kFrame));
    BevelEdges(p, band, WithAlpha(theme::kRimLight, 220), WithAlpha(theme::kRimDark, 230));
}

void panelFace(QPainter& p, const QPainterPath& panel) {
    p.fillPath(panel,
               Vertical(panel.boundingRect(), QColor(theme::kNavyLight), QColor(theme::kNavyDeep)));
    SunkenEdges(p, panel, WithAlpha(theme::kOutline, 220), WithAlpha(theme::kRimLight, 50));
    Gloss(p, panel, 26, 0.45);
}

// --- toolbar ----------------------------------------------------------------

// Long wings for the buttons, and a taller pod in the middle for the time.
const QRectF kToolbarWings(0, 2, 244, 42);
const QRectF kToolbarPod(74, 0, 94, 46);

QPainterPath toolbarShape(qreal inset) {
    auto part = [inset](const QRectF& box, qreal radius) {
        return RoundedRect(box.adjusted(inset, inset, -inset, -inset),
                           std::max<qreal>(radius - inset, 2));
    };
    return part(kToolbarWings, 10).united(part(kToolbarPod, 8));
}

void toolbarGrille(QPainter& p, qreal centreX) {
    for (int i = -1; i <= 1; ++i)
        SunkenWell(p, QRectF(centreX + i * 4 - 1, 14, 2, 17), 1, QColor(theme::kNavyDeep),
                   WithAlpha(theme::kRimLight, 70));
}

void toolbarButtonWells(QPainter& p) {
    const QColor face(theme::kLcd), light = WithAlpha(theme::kRimLight, 60);
    SunkenWell(p, QRectF(22.5, 6.5, 53, 24), 6, face, light);
    SunkenWell(p, QRectF(166.5, 6.5, 53, 24), 6, face, light);
}

void toolbarLettering(QPainter& p) {
    const QPainterPath name =
        CentredOn(TextPath(theme::kSansBold, 8, QStringLiteral("QUARN"), 1.6), QPointF(121, 37));
    p.fillPath(name.translated(0, 1), QColor(0, 0, 0, 170));
    p.fillPath(name, WithAlpha(theme::kFrame, 210));
}

} // namespace

QImage ToolbarSkin() {
    QImage art = NewCanvas(244, 46);
    {
        QPainter p(&art);
        Prepare(p);
        frameRim(p, toolbarShape(0), toolbarShape(1));
        panelFace(p, toolbarShape(5));
        toolbarButtonWells(p);
        toolbarGrille(p, 14);
        toolbarGrille(p, 229);
        displayWindow(p, QRectF(77, 10, 88, 22), 4);
        toolbarLettering(p);
    }
    QImage skin = Keyed(art, theme::kEyWhite, theme::kOutline);
    // The toolbar takes the colour of its time display from this pixel.
    if ((skin.pixel(10, 4) & 0xffffff) != (theme::kFrame & 0xffffff))
        throw std::runtime_error("toolbar frame pixel (10, 4) is not the frame colour");
    return skin;
}

namespace {

// A rectangle with wide rounded top corners and tight bottom ones: the title
// strip sits on top of the player like a tab.
QPainterPath tabShape(const QRectF& r, qreal top, qreal bottom) {
    QPainterPath path;
    path.moveTo(r.left() + top, r.top());
    path.arcTo(QRectF(r.right() - 2 * top, r.top(), 2 * top, 2 * top), 90, -90);
    path.arcTo(QRectF(r.right() - 2 * bottom, r.bottom() - 2 * bottom, 2 * bottom, 2 * bottom), 0,
               -90);
    path.arcTo(QRectF(r.left(), r.bottom() - 2 * bottom, 2 * bottom, 2 * bottom), 270, -90);
    path.arcTo(QRectF(r.left(), r.top(), 2 * top, 2 * top), 180, -90);
    path.closeSubpath();
    return path;
}

} // namespace

QImage SongNameSkin() {
    const QRectF outer(0, 0, 244, 39);
    QImage art = NewCanvas(244, 39);
    {
        QPainter p(&art);
        Prepare(p);
        frameRim(p, tabShape(outer, 14, 7), tabShape(outer.adjusted(1, 1, -1, -1), 13, 6));
        panelFace(p, tabShape(outer.adjusted(4, 4, -4, -4), 10, 4));
        displayWindow(p, QRectF(6, 9, 232, 21), 5);
    }
    return Keyed(art, theme::kEyRed, theme::kOutline);
}

QImage ButtonSkin(ButtonGlyph glyph) {
    const QRectF outer(0, 0, 17, 21);
    QImage art = NewCanvas(17, 21);
    {
        QPainter p(&art);
        Prepare(p);
        p.fillPath(RoundedRect(outer, 5), QColor(theme::kOutline));
        p.fillPath(RoundedRect(outer.adjusted(1, 1, -1, -1), 4),
                   Vertical(outer, QColor(theme::kRimLight), QColor(theme::kRimDark)));
        const QPainterPath face = RoundedRect(outer.adjusted(2, 2, -2, -2), 3);
        p.fillPath(face, Vertical(outer, QColor(theme::kNavyLight), QColor(theme::kNavyDeep)));
        const QPainterPath symbol = ButtonGlyphPath(glyph, QPointF(8.5, 10.5), 8);
        p.fillPath(symbol.translated(0, 1), QColor(0, 0, 0, 170));
        p.fillPath(symbol, Vertical(symbol.boundingRect(), QColor(theme::kGlyphLight),
                                    QColor(theme::kGlyphDeep)));
        Gloss(p, face, 46, 0.5);
    }
    return Keyed(art, theme::kEyRed, theme::kOutline);
}

// --- stretching skins --------------------------------------------------------

// A stretching skin is drawn in one piece with its middle stretch repeated a
// few times, then cut. Every row (or column) of that stretch must be the
// same, or the repeated middle slice would show seams.
SlicedSkin Sliced(const QImage& whole, int first, int middle, int last, Qt::Orientation along) {
    const bool down = along == Qt::Vertical;
    const int length = down ? whole.height() : whole.width();
    auto cut = [&](int from, int count) {
        return down ? whole.copy(0, from, whole.width(), count)
                    : whole.copy(from, 0, count, whole.height());
    };
    const QImage stretch = cut(first, 1);
    for (int i = first + 1; i < length - last; ++i)
        if (cut(i, 1) != stretch)
            throw std::runtime_error("a stretching skin's middle does not repeat seamlessly");
    return {cut(0, first), cut(first, middle), cut(length - last, last)};
}

namespace {

// A groove pressed into the panel, for grilles and grips.
void groove(QPainter& p, const QRectF& box) {
    SunkenWell(p, box, 1, QColor(theme::kNavyDeep), WithAlpha(theme::kRimLight, 70));
}

// A flat recess for what the program draws itself: one colour inside a
// one-pixel edge, dark above and left, lit below and right.
void flatRecess(QPainter& p, const QRect& edge, QRgb face) {
    p.fillRect(edge, QColor(face));
    const QColor shade(0, 0, 0, 170), light = WithAlpha(theme::kRimLight, 60);
    p.fillRect(QRect(edge.left(), edge.top(), edge.width(), 1), shade);
    p.fillRect(QRect(edge.left(), edge.top() + 1, 1, edge.height() - 1), shade);
    p.fillRect(QRect(edge.left() + 1, edge.bottom(), edge.width() - 1, 1), light);
    p.fillRect(QRect(edge.right(), edge.top() + 1, 1, edge.height() - 2), light);
}

// --- playlist ---------------------------------------------------------------

constexpr int kPlaylistWidth = 244;
constexpr int kPlaylistTop = 24, kPlaylistMiddle = 16, kPlaylistBottom = 28;
constexpr int kPlaylistDrawn = kPlaylistTop + 3 * kPlaylistMiddle + kPlaylistBottom;
constexpr int kPlaylistBottomAt = kPlaylistDrawn - kPlaylistBottom;
// The list's recess, edge included: the list itself is 9 px in from either
// side, from row 20 of the top slice down to row 1 of the bottom slice.
const QRect kListRecess(8, 19, 228, kPlaylistBottomAt + 3 - 19);

// Like the toolbar: the frame one pixel in from the sides (the margin is cut
// away, so that every slice is shaped by its own key colour), with a taller
// pod in the middle of the top for the name plate.
QPainterPath playlistShape(qreal inset) {
    auto part = [inset](const QRectF& box, qreal radius) {
        return RoundedRect(box.adjusted(inset, inset, -inset, -inset),
                           std::max<qreal>(radius - inset, 2));
    };
    return part(QRectF(1, 2, kPlaylistWidth - 2, kPlaylistDrawn - 2), 10)
        .united(part(QRectF(84, 0, 76, 26), 8));
}

// The panel darkens downwards, as on the toolbar, but only in the top and the
// bottom slices: beside the list it is one colour all the way down.
void playlistPanel(QPainter& p) {
    const QPainterPath panel = playlistShape(4);
    p.fillPath(panel, QColor(theme::kNavy));
    const QRectF title(0, 0, kPlaylistWidth, kListRecess.top());
    QPainterPath titleBand;
    titleBand.addRect(title);
    titleBand = titleBand.intersected(panel);
    p.fillPath(titleBand, Vertical(title, QColor(theme::kNavyLight), QColor(theme::kNavy)));
    Gloss(p, titleBand, 26, 0.6);
    const QRectF foot(0, kListRecess.bottom() + 1, kPlaylistWidth,
                      kPlaylistDrawn - kListRecess.bottom() - 1);
    QPainterPath footBand;
    footBand.addRect(foot);
    p.fillPath(footBand.intersected(panel),
               Vertical(foot, QColor(theme::kNavy), QColor(theme::kNavyDeep)));
    SunkenEdges(p, panel, WithAlpha(theme::kOutline, 220), WithAlpha(theme::kRimLight, 50));
}

void playlistNamePlate(QPainter& p) {
    SunkenWell(p, QRectF(89.5, 5.5, 65, 12), 3, QColor(theme::kNavyDeep),
               WithAlpha(theme::kRimLight, 60));
    const QPainterPath name = CentredOn(
        TextPath(theme::kSansBold, 8, QStringLiteral("PLAYLIST"), 1.6), QPointF(122, 11.5));
    p.fillPath(name.translated(0, 1), QColor(0, 0, 0, 170));
    p.fillPath(name, WithAlpha(theme::kFrame, 210));
}

// Two grooves either side of the pod, as on a rack-mounted deck.
void playlistTitleGrooves(QPainter& p) {
    for (const qreal y : {9.0, 13.0}) {
        groove(p, QRectF(14, y, 62, 2));
        groove(p, QRectF(168, y, 62, 2));
    }
}

// The total time on the left, a grip in the middle of the lower edge, and a
// grille on the right like the toolbar's.
void playlistFoot(QPainter& p) {
    const int top = kPlaylistBottomAt;
    displayWindow(p, QRectF(8, top + 6, 76, 15), 3);
    const qreal widths[] = {20, 14, 8};
    for (int i = 0; i < 3; ++i)
        groove(p, QRectF(122 - widths[i] / 2, top + 12 + 4 * i, widths[i], 2));
    for (int i = -1; i <= 1; ++i)
        groove(p, QRectF(229 + i * 4 - 1, top + 8, 2, 11));
}

} // namespace

SlicedSkin PlaylistSkin() {
    QImage art = NewCanvas(kPlaylistWidth, kPlaylistDrawn);
    {
        QPainter p(&art);
        Prepare(p);
        frameRim(p, playlistShape(0), playlistShape(1));
        playlistPanel(p);
        playlistNamePlate(p);
        playlistTitleGrooves(p);
        flatRecess(p, kListRecess, theme::kLcd);
        playlistFoot(p);
    }
    return Sliced(Keyed(art, theme::kEyRed, theme::kOutline), kPlaylistTop, kPlaylistMiddle,
                  kPlaylistBottom, Qt::Vertical);
}

// --- full-screen controls bar -------------------------------------------------

namespace {

constexpr int kBarCap = 48, kBarMiddle = 8, kBarHeight = 44;
constexpr int kBarDrawn = 2 * kBarCap + 3 * kBarMiddle;
// The recessed body the program draws its controls on, edge included: one
// flat colour 9 px in from the top and the bottom, and, clear of its rounded
// corners, 30 px in from either end.
const QRectF kBarBody(26, 8, kBarDrawn - 52, kBarHeight - 16);

// A one-pixel margin all round is cut away, so that the middle slice too is
// shaped by its own key colour.
QPainterPath barShape(qreal inset) {
    return RoundedRect(
        QRectF(1, 1, kBarDrawn - 2, kBarHeight - 2).adjusted(inset, inset, -inset, -inset),
        std::max<qreal>(14 - inset, 2));
}

} // namespace

SlicedSkin OverlaySkin() {
    QImage art = NewCanvas(kBarDrawn, kBarHeight);
    {
        QPainter p(&art);
        Prepare(p);
        frameRim(p, barShape(0), barShape(1));
        panelFace(p, barShape(4));
        for (const qreal centre : {15.0, kBarDrawn - 15.0})
            for (int i = -1; i <= 1; ++i)
                groove(p, QRectF(centre + i * 4 - 1, 13, 2, 18));
        SunkenWell(p, kBarBody, 4, QColor(theme::kNavyDeep), WithAlpha(theme::kRimLight, 60));
    }
    return Sliced(Keyed(art, theme::kEyRed, theme::kOutline), kBarCap, kBarMiddle, kBarCap,
                  Qt::Horizontal);
}

// --- background tile ---------------------------------------------------------

namespace {

// Smooth random values on a closed loop, so that the ends meet seamlessly.
std::vector<double> loopNoise(Prng& random, int length, int smoothing) {
    std::vector<double> values(static_cast<size_t>(length));
    for (double& v : values)
        v = random.SignedUnit();
    for (int pass = 0; pass < 2; ++pass) {
        const std::vector<double> source = values;
        for (int i = 0; i < length; ++i) {
            double sum = 0;
            for (int k = -smoothing; k <= smoothing; ++k)
                sum += source[static_cast<size_t>((i + k + length) % length)];
            values[static_cast<size_t>(i)] = sum / (2 * smoothing + 1);
        }
    }
    const double peak = std::max(
        1e-9, std::abs(*std::max_element(values.begin(), values.end(), [](double a, double b) {
            return std::abs(a) < std::abs(b);
        })));
    for (double& v : values)
        v /= peak;
    return values;
}

// Soft clouds on a torus: random values on a coarse lattice that wraps in
// both directions, blended with a smooth step.
class Clouds {
public:
    Clouds(Prng& random, int cellsX, int cellsY, int width, int height)
        : cellsX_(cellsX), cellsY_(cellsY), width_(width), height_(height),
          lattice_(static_cast<size_t>(cellsX * cellsY)) {
        for (double& v : lattice_)
            v = random.SignedUnit();
    }
    double At(int x, int y) const {
        const double fx = double(x) * cellsX_ / width_, fy = double(y) * cellsY_ / height_;
        const int x0 = int(fx), y0 = int(fy);
        const double tx = smooth(fx - x0), ty = smooth(fy - y0);
        const double top = mix(node(x0, y0), node(x0 + 1, y0), tx);
        const double bottom = mix(node(x0, y0 + 1), node(x0 + 1, y0 + 1), tx);
        return mix(top, bottom, ty);
    }

private:
    static double smooth(double t) { return t * t * (3 - 2 * t); }
    static double mix(double a, double b, double t) { return a + (b - a) * t; }
    double node(int x, int y) const {
        return lattice_[static_cast<size_t>((y % cellsY_) * cellsX_ + (x % cellsX_))];
    }
    int cellsX_, cellsY_, width_, height_;
    std::vector<double> lattice_;
};

} // namespace

QImage BackgroundTile() {
    constexpr int kWidth = 256, kHeight = 299;
    Prng random(0x7a11e5u);
    const Clouds clouds(random, 8, 13, kWidth, kHeight);
    std::vector<std::vector<double>> streaks;
    for (int y = 0; y < kHeight; ++y)
        streaks.push_back(loopNoise(random, kWidth, 24));
    QImage tile(kWidth, kHeight, QImage::Format_RGB32);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const double shade =
                3.2 * clouds.At(x, y) + 1.8 * streaks[y][x] + 0.9 * random.SignedUnit();
            auto channel = [shade](int base, double weight) {
                return std::clamp(int(std::lround(base + shade * weight)), 0, 255);
            };
            tile.setPixel(x, y, qRgb(channel(14, 0.7), channel(21, 0.9), channel(33, 1.2)));
        }
    }
    return tile;
}

} // namespace skingen
