#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <vector>

// Writing pictures so that every run gives the same bytes.
namespace skingen {

void WriteFile(const QString& path, const QByteArray& bytes);
void SavePng(const QImage& image, const QString& path);
void SaveJpeg(const QImage& image, const QString& path, int quality);
// Qt writes an RGB32 image as an uncompressed 24-bit BMP (checked by the tests).
void SaveBmp24(const QImage& image, const QString& path);

// The most frequent colours of an image, at most `count` of them.
QList<QRgb> PopularColours(const QImage& image, int count);
// Every pixel mapped to its nearest palette colour.
QImage Indexed(const QImage& image, const QList<QRgb>& palette);

// One image of an icon file: straight (not premultiplied) ARGB32 art and the
// bit depth to store it at (8, 24 or 32).
struct IconImage {
    QImage art;
    int bitsPerPixel;
};
QByteArray IcoFile(const std::vector<IconImage>& images);

// A GIF89a of an indexed 8-bit image, with a 256-colour palette.
QByteArray GifFile(const QImage& indexed8);

} // namespace skingen
