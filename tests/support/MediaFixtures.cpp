#include "support/MediaFixtures.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUuid>
#include <QtEndian>
#include <stdexcept>

namespace quarn::test::media {

namespace {

QDir folder() {
    QDir dir(QStringLiteral(QUARN_BINARY_DIR "/test-media"));
    dir.mkpath(QStringLiteral("."));
    return dir;
}

// Runs ffmpeg into a temporary name and renames it into place, so that tests
// running side by side never see half a file.
QString generated(const QString& name, const QStringList& ffmpegArguments) {
    const QString path = folder().filePath(name);
    if (QFileInfo::exists(path)) {
        return path;
    }
    const QString partial = path + QStringLiteral(".%1.part.") + QFileInfo(name).suffix();
    const QString temporary = partial.arg(QUuid::createUuid().toString(QUuid::Id128));
    QProcess ffmpeg;
    QStringList arguments{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"),
                          QStringLiteral("error"), QStringLiteral("-y")};
    arguments << ffmpegArguments << temporary;
    ffmpeg.start(QStringLiteral("ffmpeg"), arguments);
    if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitCode() != 0) {
        throw std::runtime_error("ffmpeg failed: " + ffmpeg.readAllStandardError().toStdString());
    }
    QFile::rename(temporary, path);
    QFile::remove(temporary);
    return path;
}

QString Written(const QString& name, const QByteArray& bytes) {
    const QString path = folder().filePath(name);
    if (!QFileInfo::exists(path)) {
        QSaveFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        file.commit();
    }
    return path;
}

} // namespace

QString VideoClip() {
    return generated(QStringLiteral("video-320x240-3s.mp4"),
                     {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                      QStringLiteral("color=c=0xD02020:s=320x120:r=30:d=3[top];"
                                     "color=c=0x2040D0:s=320x120:r=30:d=3[bottom];"
                                     "[top][bottom]vstack"),
                      QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                      QStringLiteral("sine=f=440:d=3"), QStringLiteral("-c:v"),
                      QStringLiteral("libx264"), QStringLiteral("-pix_fmt"),
                      QStringLiteral("yuv420p"), QStringLiteral("-c:a"), QStringLiteral("aac"),
                      QStringLiteral("-shortest")});
}

QString ColourStepsClip() {
    return generated(QStringLiteral("colour-steps-30s.mp4"),
                     {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                      QStringLiteral("color=c=0xC02020:s=320x240:r=25:d=10[a];"
                                     "color=c=0x20C020:s=320x240:r=25:d=10[b];"
                                     "color=c=0x2020C0:s=320x240:r=25:d=10[c];"
                                     "[a][b][c]concat=n=3:v=1:a=0"),
                      QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                      QStringLiteral("sine=f=220:d=30"), QStringLiteral("-c:v"),
                      QStringLiteral("libx264"), QStringLiteral("-g"), QStringLiteral("25"),
                      QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"), QStringLiteral("-c:a"),
                      QStringLiteral("aac"), QStringLiteral("-shortest")});
}

QString Pattern(int width, int height, int fps, int seconds) {
    const QString size = QStringLiteral("%1x%2").arg(width).arg(height);
    return generated(QStringLiteral("pattern-%1-%2fps-%3s.mp4").arg(size).arg(fps).arg(seconds),
                     {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                      QStringLiteral("testsrc2=s=%1:r=%2:d=%3").arg(size).arg(fps).arg(seconds),
                      QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                      QStringLiteral("sine=f=330:d=%1").arg(seconds), QStringLiteral("-c:v"),
                      QStringLiteral("libx264"), QStringLiteral("-preset"),
                      QStringLiteral("ultrafast"), QStringLiteral("-pix_fmt"),
                      QStringLiteral("yuv420p"), QStringLiteral("-c:a"), QStringLiteral("aac"),
                      QStringLiteral("-shortest")});
}

QString AudioClip() {
    return generated(QStringLiteral("audio-3s.mp3"),
                     {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                      QStringLiteral("sine=f=330:d=3"), QStringLiteral("-c:a"),
                      QStringLiteral("libmp3lame")});
}

QString TaggedSong() {
    return generated(QStringLiteral("tagged-song.mp3"),
                     {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                      QStringLiteral("sine=f=294:d=4"), QStringLiteral("-metadata"),
                      QStringLiteral("title=Evening Tide"), QStringLiteral("-metadata"),
                      QStringLiteral("artist=The Quarn Trio"), QStringLiteral("-metadata"),
                      QStringLiteral("album=Night Songs"), QStringLiteral("-c:a"),
                      QStringLiteral("libmp3lame")});
}

QString OneFrameClip() {
    return generated(QStringLiteral("one-frame.mp4"),
                     {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                      QStringLiteral("testsrc=s=160x120:r=25"), QStringLiteral("-frames:v"),
                      QStringLiteral("1"), QStringLiteral("-c:v"), QStringLiteral("libx264"),
                      QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p")});
}

QString TruncatedClip() {
    QFile whole(VideoClip());
    whole.open(QIODevice::ReadOnly);
    const QByteArray bytes = whole.readAll();
    return Written(QStringLiteral("truncated.mp4"), bytes.left(bytes.size() / 2));
}

QString ZeroedMediaData() {
    QFile whole(VideoClip());
    whole.open(QIODevice::ReadOnly);
    QByteArray bytes = whole.readAll();
    // The media-data box: its size, "mdat", then what it holds.
    const qsizetype box = bytes.indexOf("mdat") - 4;
    const auto size = qFromBigEndian<quint32>(bytes.constData() + box);
    bytes.replace(box + 8, size - 8, QByteArray(size - 8, '\0'));
    return Written(QStringLiteral("zeroed-media-data.mp4"), bytes);
}

QString TextFile() {
    return Written(QStringLiteral("notes.mp4"),
                   "These are notes, not a film.\nhttp://example.invalid/film.mp4\n");
}

QString EmptyFile() {
    return Written(QStringLiteral("empty.mp4"), QByteArray());
}

QString Folder() {
    const QDir dir = folder();
    dir.mkpath(QStringLiteral("a-folder.mp4"));
    return dir.filePath(QStringLiteral("a-folder.mp4"));
}

QString MissingFile() {
    return folder().filePath(QStringLiteral("no-such-file.mp4"));
}

QString OddlyNamedCopy(const QString& name) {
    const QString path = folder().filePath(QStringLiteral("odd/") + name);
    if (!QFileInfo::exists(path)) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile::copy(VideoClip(), path);
    }
    return path;
}

namespace {

// Arguments written as one line; none of them holds a space.
QStringList words(const char* line) {
    return QString::fromLatin1(line).split(QLatin1Char(' '));
}

QString subRip(const char* name, const char* text) {
    return Written(QString::fromUtf8(name),
                   QByteArray("1\n00:00:00,000 --> 00:00:03,000\n") + text + '\n');
}

} // namespace

std::vector<MediaTrack> FilmTracks() {
    using Kind = MediaTrack::Kind;
    return {{Kind::Audio, 1, QStringLiteral("eng"), QStringLiteral("English"), true, false},
            {Kind::Audio, 2, QStringLiteral("deu"), QStringLiteral("Deutsch (Kommentar)"), false,
             false},
            {Kind::Subtitle, 1, QStringLiteral("eng"), QStringLiteral("English"), true, false},
            {Kind::Subtitle, 2, QStringLiteral("deu"), QStringLiteral("Deutsch"), false, false}};
}

QString FilmWithTracks() {
    QStringList arguments = words("-f lavfi -i testsrc2=s=160x120:r=25:d=4 -f lavfi -i "
                                  "sine=f=440:d=4 -f lavfi -i sine=f=660:d=4 -i");
    arguments << subRip("film-eng.srt", "Good evening.") << QStringLiteral("-i")
              << subRip("film-deu.srt", "Guten Abend.")
              << words("-map 0 -map 1 -map 2 -map 3 -map 4 -c:v libx264 -preset ultrafast "
                       "-pix_fmt yuv420p -c:a aac -c:s srt");
    for (const MediaTrack& track : FilmTracks()) {
        const bool audio = track.kind == MediaTrack::Kind::Audio;
        const QString stream = QStringLiteral("-metadata:s:%1:%2")
                                   .arg(QLatin1Char(audio ? 'a' : 's'))
                                   .arg(track.id - 1);
        arguments << stream << QStringLiteral("language=") + track.language << stream
                  << QStringLiteral("title=") + track.title;
    }
    return generated(QStringLiteral("film-with-tracks.mkv"), arguments);
}

QString ClipWithSidecar() {
    const QString clip = folder().filePath(QStringLiteral("evening film.mp4"));
    if (!QFileInfo::exists(clip)) {
        QFile::copy(VideoClip(), clip);
    }
    subRip("evening film.srt", "Beside the film.");
    return clip;
}

QString JunkSubtitles() {
    QRandomGenerator random(20240607); // the same bytes each time
    QByteArray bytes(4096, Qt::Uninitialized);
    random.fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
    return Written(QStringLiteral("junk.srt"), bytes);
}

QString PictureAsSubtitles() {
    QImage picture(32, 32, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    picture.save(&png, "PNG");
    return Written(QStringLiteral("picture.srt"), png.data());
}

QString SlideShow() {
    QStringList arguments = words("-f lavfi -i color=c=0x306090:s=64x48:r=1:d=4200 -i");
    arguments << Written(QStringLiteral("slides.srt"),
                         "1\n00:00:00,000 --> 00:20:00,000\nThe first slide.\n\n"
                         "2\n00:35:00,000 --> 00:36:00,000\nHalf way.\n\n"
                         "3\n01:09:00,000 --> 01:10:00,000\nThe last slide.\n")
              << words("-map 0 -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:s srt");
    for (int track = 0; track < 30; ++track) {
        arguments << QStringLiteral("-map") << QStringLiteral("1");
    }
    return generated(QStringLiteral("slide-show-70min.mkv"), arguments);
}

} // namespace quarn::test::media
