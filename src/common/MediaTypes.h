#pragma once

// The kinds of file the player offers to play: what the engine plays that
// people keep on disk.

#include <QString>
#include <QStringList>

namespace quarn {

// File name patterns of media files ("*.mkv"), matched without regard to case.
QStringList MediaFilePatterns();

// The Open dialog's filter: media files first, then all files.
QString MediaFilter();

// The MIME types of those files, as the desktop names them.
QStringList MediaMimeTypes();

// Whether a file's name matches one of the media patterns.
bool IsMediaFileName(const QString& name);

// Whether a file's name is that of a sound-only kind of file (.mp3, .flac,
// .ogg, .oga, .opus, .m4a, .wav, .wma, .aac, .ape, .wv, .mka, .aif(f); any case):
// one that shows its cover rather than video.
bool IsSoundFileName(const QString& name);

// Whether a file's name is that of a subtitle file (.srt, .ass, .ssa, .sub,
// .vtt, .idx; any case).
bool IsSubtitleFileName(const QString& name);

} // namespace quarn
