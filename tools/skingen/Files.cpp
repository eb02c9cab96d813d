#include "Files.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <algorithm>
#include <array>
#include <map>
#include <stdexcept>

namespace skingen {

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

namespace {

QByteArray encoded(const QImage& image, const char* format, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    if (!writer.write(image))
        throw std::runtime_error("cannot encode " + writer.errorString().toStdString());
    return bytes;
}

} // namespace

void SavePng(const QImage& image, const QString& path) {
    WriteFile(path, encoded(image, "png", -1));
}

void SaveJpeg(const QImage& image, const QString& path, int quality) {
    WriteFile(path, encoded(image.convertToFormat(QImage::Format_RGB32), "jpeg", quality));
}

void SaveBmp24(const QImage& image, const QString& path) {
    WriteFile(path, encoded(image.convertToFormat(QImage::Format_RGB32), "bmp", -1));
}

QList<QRgb> PopularColours(const QImage& image, int count) {
    // Colours are counted in 5-bit-per-channel boxes; each box gives its mean.
    struct Box {
        long long count = 0, red = 0, green = 0, blue = 0;
    };
    std::map<int, Box> boxes;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            Box& box = boxes[(qRed(c) >> 3) << 10 | (qGreen(c) >> 3) << 5 | (qBlue(c) >> 3)];
            ++box.count;
            box.red += qRed(c);
            box.green += qGreen(c);
            box.blue += qBlue(c);
        }
    }
    std::vector<std::pair<int, Box>> sorted(boxes.begin(), boxes.end());
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b) { return a.second.count > b.second.count; });
    QList<QRgb> palette;
    for (const auto& [key, box] : sorted) {
        if (palette.size() == count)
            break;
        palette.append(
            qRgb(int(box.red / box.count), int(box.green / box.count), int(box.blue / box.count)));
    }
    return palette;
}

QImage Indexed(const QImage& image, const QList<QRgb>& palette) {
    QImage result(image.size(), QImage::Format_Indexed8);
    result.setColorTable(palette);
    std::map<QRgb, int> nearest;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y) & 0xffffff;
            auto found = nearest.find(c);
            if (found == nearest.end()) {
                int best = 0;
                long bestDistance = -1;
                for (int i = 0; i < palette.size(); ++i) {
                    const long dr = qRed(c) - qRed(palette[i]), dg = qGreen(c) - qGreen(palette[i]),
                               db = qBlue(c) - qBlue(palette[i]);
                    const long distance = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
                    if (bestDistance < 0 || distance < bestDistance) {
                        best = i;
                        bestDistance = distance;
                    }
                }
                found = nearest.emplace(c, best).first;
            }
            result.setPixel(x, y, uint(found->second));
        }
    }
    return result;
}

namespace {

// Little-endian writer for the binary headers.
class Bytes {
public:
    void U8(int v) { data_.append(char(v & 0xff)); }
    void U16(int v) {
        U8(v);
        U8(v >> 8);
    }
    void U32(quint32 v) {
        U16(int(v & 0xffff));
        U16(int(v >> 16));
    }
    void Append(const QByteArray& bytes) { data_.append(bytes); }
    const QByteArray& Data() const { return data_; }

private:
    QByteArray data_;
};

int rowBytes(int width, int bitsPerPixel) {
    return (width * bitsPerPixel + 31) / 32 * 4;
}

// The colour part of an icon image, bottom-up as in a BMP.
QByteArray iconPixels(const QImage& art, int bitsPerPixel, const QImage& palettised) {
    Bytes out;
    const int padding = rowBytes(art.width(), bitsPerPixel) - art.width() * bitsPerPixel / 8;
    for (int y = art.height() - 1; y >= 0; --y) {
        for (int x = 0; x < art.width(); ++x) {
            const QRgb c = art.pixel(x, y);
            if (bitsPerPixel == 8) {
                out.U8(palettised.pixelIndex(x, y));
                continue;
            }
            const bool shown = qAlpha(c) >= 128;
            out.U8(shown || bitsPerPixel == 32 ? qBlue(c) : 0);
            out.U8(shown || bitsPerPixel == 32 ? qGreen(c) : 0);
            out.U8(shown || bitsPerPixel == 32 ? qRed(c) : 0);
            if (bitsPerPixel == 32)
                out.U8(qAlpha(c));
        }
        for (int i = 0; i < padding; ++i)
            out.U8(0);
    }
    return out.Data();
}

// The AND mask: a set bit lets the desktop show through.
QByteArray iconMask(const QImage& art) {
    QByteArray mask;
    const int stride = rowBytes(art.width(), 1);
    for (int y = art.height() - 1; y >= 0; --y) {
        QByteArray row(stride, '\0');
        for (int x = 0; x < art.width(); ++x)
            if (qAlpha(art.pixel(x, y)) < 128)
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        mask.append(row);
    }
    return mask;
}

QByteArray iconEntryData(const IconImage& icon) {
    const QImage& art = icon.art;
    const bool palettised = icon.bitsPerPixel == 8;
    QImage opaqueArt = art.convertToFormat(QImage::Format_RGB32);
    const QImage eightBit =
        palettised ? Indexed(opaqueArt, PopularColours(opaqueArt, 256)) : QImage();
    const QByteArray pixels = iconPixels(art, icon.bitsPerPixel, eightBit);
    const QByteArray mask = iconMask(art);
    Bytes out;
    out.U32(40);
    out.U32(quint32(art.width()));
    out.U32(quint32(art.height() * 2)); // colour rows and mask rows
    out.U16(1);
    out.U16(icon.bitsPerPixel);
    out.U32(0); // BI_RGB
    out.U32(quint32(pixels.size() + mask.size()));
    out.U32(0);
    out.U32(0);
    out.U32(palettised ? 256 : 0);
    out.U32(0);
    if (palettised) {
        const QList<QRgb> table = eightBit.colorTable();
        for (int i = 0; i < 256; ++i) {
            const QRgb c = i < table.size() ? table[i] : qRgb(0, 0, 0);
            out.U8(qBlue(c));
            out.U8(qGreen(c));
            out.U8(qRed(c));
            out.U8(0);
        }
    }
    out.Append(pixels);
    out.Append(mask);
    return out.Data();
}

} // namespace

QByteArray IcoFile(const std::vector<IconImage>& images) {
    Bytes out;
    out.U16(0);
    out.U16(1); // icon, not cursor
    out.U16(int(images.size()));
    quint32 offset = quint32(6 + 16 * images.size());
    std::vector<QByteArray> entries;
    for (const IconImage& icon : images) {
        entries.push_back(iconEntryData(icon));
        out.U8(icon.art.width() % 256);
        out.U8(icon.art.height() % 256);
        out.U8(0); // 0 stands for 256 colours or more
        out.U8(0);
        out.U16(1);
        out.U16(icon.bitsPerPixel);
        out.U32(quint32(entries.back().size()));
        out.U32(offset);
        offset += quint32(entries.back().size());
    }
    for (const QByteArray& entry : entries)
        out.Append(entry);
    return out.Data();
}

namespace {

// Packs variable-width codes least significant bit first, as GIF wants.
class CodeStream {
public:
    void Put(int code, int width) {
        buffer_ |= quint32(code) << bits_;
        bits_ += width;
        while (bits_ >= 8) {
            data_.append(char(buffer_ & 0xff));
            buffer_ >>= 8;
            bits_ -= 8;
        }
    }
    QByteArray Finish() {
        if (bits_ > 0)
            data_.append(char(buffer_ & 0xff));
        return data_;
    }

private:
    QByteArray data_;
    quint32 buffer_ = 0;
    int bits_ = 0;
};

// Every pixel is sent as a literal 9-bit code. The decoder still adds a table
// entry per code, so a clear code comes well before the table would reach 512
// entries and widen the codes.
constexpr int kLiteralsPerClear = 250;

QByteArray lzwLiterals(const QImage& indexed8) {
    constexpr int kClear = 256, kEnd = 257, kWidth = 9;
    CodeStream codes;
    int sinceClear = 0;
    codes.Put(kClear, kWidth);
    for (int y = 0; y < indexed8.height(); ++y) {
        for (int x = 0; x < indexed8.width(); ++x) {
            if (sinceClear == kLiteralsPerClear) {
                codes.Put(kClear, kWidth);
                sinceClear = 0;
            }
            codes.Put(indexed8.pixelIndex(x, y), kWidth);
            ++sinceClear;
        }
    }
    codes.Put(kEnd, kWidth);
    return codes.Finish();
}

} // namespace

QByteArray GifFile(const QImage& indexed8) {
    Bytes out;
    out.Append("GIF89a");
    out.U16(indexed8.width());
    out.U16(indexed8.height());
    out.U8(0xf7); // global colour table of 256 entries, 8 bits per primary
    out.U8(0);
    out.U8(0);
    const QList<QRgb> table = indexed8.colorTable();
    for (int i = 0; i < 256; ++i) {
        const QRgb c = i < table.size() ? table[i] : qRgb(0, 0, 0);
        out.U8(qRed(c));
        out.U8(qGreen(c));
        out.U8(qBlue(c));
    }
    out.U8(0x2c); // image descriptor
    out.U16(0);
    out.U16(0);
    out.U16(indexed8.width());
    out.U16(indexed8.height());
    out.U8(0);
    out.U8(8); // minimum code size
    const QByteArray stream = lzwLiterals(indexed8);
    for (qsizetype at = 0; at < stream.size(); at += 255) {
        const QByteArray block = stream.mid(at, 255);
        out.U8(int(block.size()));
        out.Append(block);
    }
    out.U8(0);
    out.U8(0x3b); // trailer
    return out.Data();
}

} // namespace skingen
