#pragma once

#include <QPixmap>
#include <QString>
#include <utility>

namespace quarn {

// The design-time face of a non-visual dialog component: a fixed size in
// twips and a small picture. It plays no part at run time.
class DesignSurface {
public:
    DesignSurface(int widthTwips, int heightTwips, QString picture)
        : width_(widthTwips), height_(heightTwips), picture_(std::move(picture)) {}

    int Width() const { return width_; }
    int Height() const { return height_; }

    // Whatever size it is given, the surface keeps its design size.
    void Resize(int /*widthTwips*/, int /*heightTwips*/) {}

    // Null when the picture is not (yet) among the resources.
    QPixmap Picture() const { return QPixmap(picture_); }

private:
    int width_;
    int height_;
    QString picture_;
};

} // namespace quarn
