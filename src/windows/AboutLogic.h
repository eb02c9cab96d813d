#pragma once

// What the About box works out, free of the window.

#include <QString>
#include <cstdint>

namespace quarn::about {

// The animation's frames are numbered 1 to 4; after the last comes the first.
inline constexpr std::int32_t kFrameCount = 4;
std::int32_t NextFrame(std::int32_t frame);

// The picture file of a frame: "quarn N.bmp" in the given folder.
QString FramePath(const QString& folder, std::int32_t frame);

#if defined(Q_OS_WIN)
inline constexpr bool kOnWindows = true;
#else
inline constexpr bool kOnWindows = false;
#endif

// The version line under "Windows Version": only Windows XP (Windows'
// version "5.01") is named, as "5.01 XP"; every other version, and any
// version of another system, leaves the line empty.
QString WinVerCaption(const QString& version, bool onWindows = kOnWindows);

// The colour readout: the colour word as a signed number, four spaces and the
// pointer position in twips, shortest form: "16777215    [1500,750]".
QString ColourReadout(std::int32_t colour, float xTwips, float yTwips);

} // namespace quarn::about
