#pragma once

#include "engine/MediaEngine.h"

#include <QString>
#include <vector>

namespace quarn::test {

// Media files made for the tests with ffmpeg's generated sources, kept in the
// build folder and made once.
namespace media {
// Where they are kept: <build>/test-media, or QUARN_TEST_MEDIA, so that the
// sanitized build uses what the plain build's tests made (ffmpeg is the same).
QString Store();
// A file made once by ffmpeg from these arguments (written as one line, split
// as a shell would, quotes and all): what the others are made by.
QString Made(const QString& name, const QString& ffmpegArguments);
// A file written once with these bytes, whole or not at all; and a file's bytes.
QString Written(const QString& name, const QByteArray& bytes);
QByteArray Bytes(const QString& path);
// 320 x 240, 3 s, 30 frames a second, with sound. The top half of the picture
// is kTopColour, the bottom half kBottomColour.
QString VideoClip();
inline constexpr unsigned kTopColour = 0xD02020;    // red
inline constexpr unsigned kBottomColour = 0x2040D0; // blue
// 320 x 240, 30 s with sound, red for its first 10 s, green for the next
// 10 s and blue for the last 10 s: what it shows tells where it plays.
QString ColourStepsClip();
inline constexpr unsigned kStepColours[3] = {0xC02020, 0x20C020, 0x2020C0};
// 3 s of sound, no picture.
QString AudioClip();
// 4 s of sound with its tags: title "Evening Tide", artist "The Quarn Trio",
// album "Night Songs".
QString TaggedSong();
// VideoClip with the bytes of its pictures and sound all zero: it opens, then
// nothing of it plays.
QString ZeroedMediaData();
// The first half of VideoClip's bytes.
QString TruncatedClip();
QString TextFile();
QString EmptyFile();
QString Folder();
QString MissingFile();
// A moving test picture (a sweeping gradient and a running counter) with
// sound, of the given size, frame rate and length: "pattern-WxH-Ffps-Ss.mp4".
QString Pattern(int width, int height, int fps, int seconds);
// VideoClip copied under a name that must be taken as a plain file name.
QString OddlyNamedCopy(const QString& name);
// 160 x 120, 4 s, with two sound tracks and two subtitle tracks, the first
// of each kind the default: FilmTracks() lists them as they open.
QString FilmWithTracks();
std::vector<MediaTrack> FilmTracks();
// 320 x 240, 100 s of a still dark grey picture with two sound tracks, two
// subtitle tracks whose one line shows from 30.0 to 31.0 s ("HALF PAST" in
// the first), and five chapters of 20 s each, named kFilmChapters.
QString ChapteredFilm();
inline constexpr const char* kFilmChapters[5] = {"Opening", "The Road", "The Storm", "The Harbour",
                                                 "Closing"};
// VideoClip as "evening film.mp4" with its subtitles beside it, "evening film.srt".
QString ClipWithSidecar();
// Files named .srt that hold no subtitles: random bytes; a PNG picture.
QString JunkSubtitles();
QString PictureAsSubtitles();
// A 70-minute slide show (4200 s) at one 64 x 48 frame a second, without
// sound, with 30 subtitle tracks that name neither language nor title: a file
// of some 100 KB.
QString SlideShow();
} // namespace media

} // namespace quarn::test
