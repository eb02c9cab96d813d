#pragma once

#include <QString>
#include <QStringList>

namespace quarn::test::damaged {

// A corpus of good and damaged media files, each made once into
// <build>/test-media/corpus/ by ffmpeg's generated sources and by byte
// surgery with fixed seeds: the same bytes every time it is made. It takes a
// few MB of disk (its 2 GB file is sparse).
//
// For each container (mp4 with h264 and aac, mkv with vp8 and vorbis, avi
// with mpeg4 and mp3, MPEG-TS with mpeg2 and mp2, flv with flv1 and mp3, mp3,
// flac, opus in ogg, wav) a good clip and its damaged copies: cut off after
// 1 %, 10 %, 50 % and 90 % of its bytes, and with a run of bytes scrambled in
// its header (its first 256 bytes) and in its middle. Then the odd ones: a 1 x 1 video, videos
// whose frame rate is zero, a Matroska file that claims a length of ages,
// MPEG-TS files whose timestamps start hours from zero, wrap round, or whose
// first frame's stands 10 hours from the rest, 2 GB of zeros, a picture, and
// text.

// Every file of the corpus, in a fixed order: each good clip followed by its
// damaged copies, then the odd ones.
QStringList Corpus();

// The good clip of a container ("mp4", "mkv", "avi", "ts", "flv", "mp3",
// "flac", "opus", "wav"): 1 s long, its picture (if any) 160 x 120.
QString GoodClip(const QString& container);

} // namespace quarn::test::damaged
