#include "windows/AboutLogic.h"

#include <QDir>
#include <array>
#include <charconv>

namespace quarn::about {

std::int32_t NextFrame(std::int32_t frame) {
    return frame >= 0 && frame < kFrameCount ? frame + 1 : 1;
}

QString FramePath(const QString& folder, std::int32_t frame) {
    return QDir(folder).filePath(QStringLiteral("quarn %1.bmp").arg(frame));
}

QString WinVerCaption(const QString& version, bool onWindows) {
    return onWindows && version == QLatin1String("5.01") ? version + QLatin1String(" XP")
                                                         : QString();
}

namespace {

QString shortest(float value) {
    std::array<char, 32> text{};
    const auto result = std::to_chars(text.data(), text.data() + text.size(), value);
    return QString::fromLatin1(text.data(), result.ptr - text.data());
}

} // namespace

QString ColourReadout(std::int32_t colour, float xTwips, float yTwips) {
    return QString::number(colour) + QLatin1String("    [") + shortest(xTwips) + QLatin1Char(',') +
           shortest(yTwips) + QLatin1Char(']');
}

} // namespace quarn::about
