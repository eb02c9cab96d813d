#include "Reference.h"

#include "Files.h"
#include "Painting.h"
#include "Theme.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>

namespace skingen {

namespace {

constexpr int kZoom = 3;
constexpr int kTagHeight = 14;
constexpr int kMargin = kTagHeight + 2;
constexpr int kPlaylistHeight = 200;
constexpr int kBarWidth = 700;
// Behind what a window's key cuts away.
constexpr QRgb kBackdrop = qRgb(232, 232, 232);
constexpr QRgb kMark = qRgb(255, 225, 77);

using Pictures = std::map<QString, QImage>;

// A picture with what its key cuts away shown as the backdrop.
QImage cut(const QImage& picture, const QString& key) {
    QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb topLeft = image.pixel(0, 0);
    const QRgb colour = key.startsWith('#') ? QColor(key).rgb() : topLeft;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            const bool gone = key == QLatin1String("alpha") ? qAlpha(p) == 0
                                                            : (p & 0xffffff) == (colour & 0xffffff);
            image.setPixel(x, y, gone ? kBackdrop : p | 0xff000000);
        }
    return image;
}

// A window being put together at 1x, then outlined and labelled at 3x.
class Sheet {
public:
    Sheet(QSize size, const QString& key) : key_(key), image_(size, QImage::Format_ARGB32) {
        image_.fill(kBackdrop);
    }
    void Draw(QPoint at, const QImage& picture) {
        QPainter p(&image_);
        p.drawImage(at, cut(picture, key_));
    }
    void DrawOpaque(const QRect& rect, const QImage& picture) {
        QPainter p(&image_);
        p.drawTiledPixmap(rect, QPixmap::fromImage(picture));
    }
    void Fill(const QRect& rect, QRgb colour) {
        QPainter p(&image_);
        p.fillRect(rect, QColor(colour));
    }
    // A slider as the player draws it, its thumb a third of the way along.
    void Slider(const QRect& r, const SliderData& s) {
        QPainter p(&image_);
        p.fillRect(r, QColor(s.border));
        p.fillRect(r.adjusted(1, 1, -1, -1), QColor(s.track));
        if (s.endWidth > 0) {
            p.fillRect(QRect(r.left(), r.top(), s.endWidth, r.height()), QColor(s.ends));
            p.fillRect(QRect(r.right() - s.endWidth + 1, r.top(), s.endWidth, r.height()),
                       QColor(s.ends));
        }
        const int inner = r.width() - 2 * s.endWidth;
        const QRect thumb(r.left() + s.endWidth + inner / 3, r.top() + 1,
                          std::max(s.thumbMinWidth, inner / 10), r.height() - 2);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(s.thumb));
        p.drawRoundedRect(thumb, s.thumbRadius, s.thumbRadius);
    }
    void Mark(const QRect& rect, const QString& label) { marks_.emplace_back(rect, label); }

    // At three times the size, with a margin above and below for the labels:
    // each label sits just above its rectangle, or below it where that place
    // is taken.
    QImage Zoomed() const {
        QImage zoomed(image_.width() * kZoom, image_.height() * kZoom + 2 * kMargin,
                      QImage::Format_ARGB32);
        zoomed.fill(qRgb(255, 255, 255));
        QPainter p(&zoomed);
        p.drawImage(
            0, kMargin,
            image_.scaled(image_.size() * kZoom, Qt::IgnoreAspectRatio, Qt::FastTransformation));
        Prepare(p);
        std::vector<QRectF> placed;
        for (const auto& [rect, label] : marks_) {
            const QRectF box(rect.left() * kZoom, rect.top() * kZoom + kMargin,
                             rect.width() * kZoom, rect.height() * kZoom);
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(QColor(kMark), 1));
            p.drawRect(box.adjusted(0.5, 0.5, -0.5, -0.5));
            p.setPen(Qt::NoPen);
            const QPainterPath text = TextPath(theme::kSansBold, 10, label);
            const QRectF bounds = text.boundingRect();
            QRectF tag(box.left(), box.top() - kTagHeight, std::ceil(bounds.width()) + 6,
                       kTagHeight);
            auto taken = [&] {
                return std::ranges::any_of(placed,
                                           [&](const QRectF& r) { return r.intersects(tag); });
            };
            if (taken())
                tag.moveTop(box.bottom());
            placed.push_back(tag);
            p.fillRect(tag, QColor(kMark));
            p.fillPath(text.translated(tag.left() + 3 - bounds.left(), tag.top() + 11),
                       QColor(0, 0, 0));
        }
        return zoomed;
    }

private:
    QString key_;
    QImage image_;
    std::vector<std::pair<QRect, QString>> marks_;
};

const QImage& picture(const Pictures& pictures, const QString& name) {
    const auto found = pictures.find(name);
    if (found == pictures.end())
        throw std::runtime_error("no picture " + name.toStdString());
    return found->second;
}

void buttons(Sheet& sheet, const Pictures& pictures, const std::vector<ButtonData>& list,
             int width) {
    for (const ButtonData& b : list) {
        const QRect rect = OnBar(b.rect, width);
        sheet.Draw(rect.topLeft(), picture(pictures, b.picture));
        sheet.Mark(rect, b.command);
    }
}

QImage mainWindow(const SkinData& skin, const Pictures& pictures) {
    const MainData& m = skin.main;
    const QSize size = m.display.size() + m.extra;
    Sheet sheet(size, skin.key);
    sheet.Fill(QRect(QPoint(0, 0), size), m.background);
    sheet.DrawOpaque(QRect(QPoint(0, 0), size), picture(pictures, m.tile));
    sheet.Fill(m.display, 0x000000);
    sheet.Mark(m.display, QStringLiteral("display"));
    const QRect seekBar(m.seekBarLeft, m.display.bottom() + 1 + m.seekBarGap,
                        size.width() - 2 * m.seekBarLeft, m.seekBarHeight);
    sheet.Slider(seekBar, m.seekBar);
    sheet.Mark(seekBar, QStringLiteral("seekBar"));
    return sheet.Zoomed();
}

QImage titleStrip(const SkinData& skin, const Pictures& pictures) {
    Sheet sheet(skin.titleStrip.size, skin.key);
    sheet.Draw(QPoint(0, 0), picture(pictures, skin.titleStrip.picture));
    sheet.Mark(skin.titleStrip.title.rect, QStringLiteral("title"));
    return sheet.Zoomed();
}

QImage toolbar(const SkinData& skin, const Pictures& pictures) {
    Sheet sheet(skin.toolbar.size, skin.key);
    sheet.Draw(QPoint(0, 0), picture(pictures, skin.toolbar.picture));
    buttons(sheet, pictures, skin.toolbar.buttons, skin.toolbar.size.width());
    sheet.Mark(skin.toolbar.time.rect, QStringLiteral("time"));
    return sheet.Zoomed();
}

QImage playlist(const SkinData& skin, const Pictures& pictures) {
    const PlaylistData& p = skin.playlist;
    Sheet sheet(QSize(p.width, kPlaylistHeight), skin.key);
    const int bottomAt = kPlaylistHeight - p.bottomHeight;
    for (int y = p.topHeight; y < bottomAt; y += p.middleHeight)
        sheet.Draw(QPoint(0, y), picture(pictures, p.middle));
    sheet.Draw(QPoint(0, 0), picture(pictures, p.top));
    sheet.Draw(QPoint(0, bottomAt), picture(pictures, p.bottom));
    sheet.Mark(
        QRect(p.listLeft, p.listTop, p.listWidth, kPlaylistHeight - p.listBottom - p.listTop),
        QStringLiteral("list"));
    sheet.Mark(p.total.translated(0, bottomAt), QStringLiteral("total"));
    sheet.Mark(p.marks.translated(0, bottomAt), QStringLiteral("marks"));
    sheet.Mark(p.grip.translated(0, bottomAt), QStringLiteral("grip"));
    return sheet.Zoomed();
}

QImage bar(const SkinData& skin, const Pictures& pictures) {
    const BarData& b = skin.bar;
    Sheet sheet(QSize(kBarWidth, b.height), skin.key);
    const QImage& right = picture(pictures, b.right);
    for (int x = b.capWidth; x < kBarWidth - right.width(); x += b.middleWidth)
        sheet.Draw(QPoint(x, 0), picture(pictures, b.middle));
    sheet.Draw(QPoint(0, 0), picture(pictures, b.left));
    sheet.Draw(QPoint(kBarWidth - right.width(), 0), right);
    buttons(sheet, pictures, b.buttons, kBarWidth);
    sheet.Mark(OnBar(b.time.rect, kBarWidth), QStringLiteral("time"));
    sheet.Slider(OnBar(b.seekBar.rect, kBarWidth), b.seekBar);
    sheet.Mark(OnBar(b.seekBar.rect, kBarWidth), QStringLiteral("seekBar"));
    sheet.Slider(OnBar(b.volume.rect, kBarWidth), b.volume);
    sheet.Mark(OnBar(b.volume.rect, kBarWidth), QStringLiteral("volume"));
    return sheet.Zoomed();
}

} // namespace

void WriteReference(const BundledSkin& skin, const QDir& dir) {
    Pictures pictures;
    for (auto& [name, image] : PicturesOf(skin, 1))
        pictures[name] = image;
    SavePng(mainWindow(skin.data, pictures), dir.filePath("main.png"));
    SavePng(titleStrip(skin.data, pictures), dir.filePath("title-strip.png"));
    SavePng(toolbar(skin.data, pictures), dir.filePath("toolbar.png"));
    SavePng(playlist(skin.data, pictures), dir.filePath("playlist.png"));
    SavePng(bar(skin.data, pictures), dir.filePath("full-screen-bar.png"));
}

} // namespace skingen
