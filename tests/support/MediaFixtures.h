#pragma once

#include <QString>

namespace quarn::test {

// Media files made for the tests with ffmpeg's generated sources, kept in the
// build folder and made once.
namespace media {
// 320 x 240, 3 s, 30 frames a second, with sound. The top half of the picture
// is kTopColour, the bottom half kBottomColour.
QString VideoClip();
inline constexpr unsigned kTopColour = 0xD02020;    // red
inline constexpr unsigned kBottomColour = 0x2040D0; // blue
// 640 x 360 with a 16:9 sample aspect of 1:1, 2 s, no sound.
QString WideClip();
// 3 s of sound, no picture.
QString AudioClip();
// One picture frame and nothing else.
QString OneFrameClip();
// The first half of VideoClip's bytes.
QString TruncatedClip();
QString TextFile();
QString EmptyFile();
QString Folder();
QString MissingFile();
// VideoClip copied under a name that must be taken as a plain file name.
QString OddlyNamedCopy(const QString& name);
} // namespace media

} // namespace quarn::test
