#include "support/MediaFixtures.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QUuid>
#include <QtEndian>
#include <stdexcept>

using namespace Qt::Literals::StringLiterals;

namespace quarn::test::media {

namespace {

QDir folder() {
    QDir dir(Store());
    dir.mkpath(u"."_s);
    return dir;
}

QString subRip(const char* name, const char* text) {
    return Written(QString::fromUtf8(name),
                   QByteArray("1\n00:00:00,000 --> 00:00:03,000\n") + text + '\n');
}

} // namespace

QString Store() {
    const QString chosen = qEnvironmentVariable("QUARN_TEST_MEDIA");
    return chosen.isEmpty() ? QStringLiteral(QUARN_BINARY_DIR "/test-media") : chosen;
}

// Runs ffmpeg into a temporary name and renames it into place, so that tests
// running side by side never see half a file. On one thread: a test making
// its media leaves the other processor to the test beside it.
QString Made(const QString& name, const QString& arguments) {
    const QString path = folder().filePath(name);
    if (QFileInfo::exists(path)) {
        return path;
    }
    const QString temporary = u"%1.%2.part.%3"_s.arg(
        path, QUuid::createUuid().toString(QUuid::Id128), QFileInfo(name).suffix());
    QProcess ffmpeg;
    ffmpeg.start(u"ffmpeg"_s,
                 QProcess::splitCommand(u"-hide_banner -loglevel error -y "_s + arguments +
                                        u" -threads 1 \"%1\""_s.arg(temporary)));
    if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitCode() != 0) {
        throw std::runtime_error("ffmpeg failed: " + ffmpeg.readAllStandardError().toStdString());
    }
    QFile::rename(temporary, path);
    QFile::remove(temporary);
    return path;
}

QString Written(const QString& name, const QByteArray& bytes) {
    const QString path = folder().filePath(name);
    QSaveFile file(path);
    if (!QFileInfo::exists(path) &&
        (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())) {
        throw std::runtime_error("cannot write " + path.toStdString());
    }
    return path;
}

QByteArray Bytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("cannot read " + path.toStdString());
    }
    return file.readAll();
}

QString VideoClip() {
    return Made(u"video-320x240-3s.mp4"_s,
                QStringLiteral("-f lavfi -i color=c=0xD02020:s=320x120:r=30:d=3[top];"
                               "color=c=0x2040D0:s=320x120:r=30:d=3[bottom];[top][bottom]vstack "
                               "-f lavfi -i sine=f=440:d=3 -c:v libx264 -pix_fmt yuv420p "
                               "-c:a aac -shortest"));
}

QString ColourStepsClip() {
    return Made(
        u"colour-steps-30s.mp4"_s,
        QStringLiteral("-f lavfi -i color=c=0xC02020:s=320x240:r=25:d=10[a];"
                       "color=c=0x20C020:s=320x240:r=25:d=10[b];"
                       "color=c=0x2020C0:s=320x240:r=25:d=10[c];[a][b][c]concat=n=3:v=1:a=0 "
                       "-f lavfi -i sine=f=220:d=30 -c:v libx264 -g 25 -pix_fmt yuv420p "
                       "-c:a aac -shortest"));
}

QString Pattern(int width, int height, int fps, int seconds) {
    const QString size = u"%1x%2"_s.arg(width).arg(height);
    return Made(u"pattern-%1-%2fps-%3s.mp4"_s.arg(size).arg(fps).arg(seconds),
                QStringLiteral("-f lavfi -i testsrc2=s=%1:r=%2:d=%3 -f lavfi -i "
                               "sine=f=330:d=%3:sample_rate=8000 -c:v libx264 -preset ultrafast "
                               "-pix_fmt yuv420p -c:a aac -b:a 16k -shortest")
                    .arg(size)
                    .arg(fps)
                    .arg(seconds));
}

QString AudioClip() {
    return Made(u"audio-3s.mp3"_s, u"-f lavfi -i sine=f=330:d=3 -c:a libmp3lame"_s);
}

QString TaggedSong() {
    return Made(u"tagged-song.mp3"_s,
                u"-f lavfi -i sine=f=294:d=4 -c:a libmp3lame -metadata \"title=Evening Tide\" "
                "-metadata \"artist=The Quarn Trio\" -metadata \"album=Night Songs\""_s);
}

QString TruncatedClip() {
    const QByteArray bytes = Bytes(VideoClip());
    return Written(u"truncated.mp4"_s, bytes.left(bytes.size() / 2));
}

QString ZeroedMediaData() {
    QByteArray bytes = Bytes(VideoClip());
    // The media-data box: its size, "mdat", then what it holds.
    const qsizetype box = bytes.indexOf("mdat") - 4;
    const auto size = qFromBigEndian<quint32>(bytes.constData() + box);
    bytes.replace(box + 8, size - 8, QByteArray(size - 8, '\0'));
    return Written(u"zeroed-media-data.mp4"_s, bytes);
}

QString TextFile() {
    return Written(u"notes.mp4"_s,
                   "These are notes, not a film.\nhttp://example.invalid/film.mp4\n");
}

QString EmptyFile() {
    return Written(u"empty.mp4"_s, QByteArray());
}

QString Folder() {
    folder().mkpath(u"a-folder.mp4"_s);
    return folder().filePath(u"a-folder.mp4"_s);
}

QString MissingFile() {
    return folder().filePath(u"no-such-file.mp4"_s);
}

QString OddlyNamedCopy(const QString& name) {
    const QString path = folder().filePath(u"odd/"_s + name);
    if (!QFileInfo::exists(path)) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile::copy(VideoClip(), path);
    }
    return path;
}

std::vector<MediaTrack> FilmTracks() {
    using Kind = MediaTrack::Kind;
    return {{Kind::Audio, 1, u"eng"_s, u"English"_s, true, false},
            {Kind::Audio, 2, u"deu"_s, u"Deutsch (Kommentar)"_s, false, false},
            {Kind::Subtitle, 1, u"eng"_s, u"English"_s, true, false},
            {Kind::Subtitle, 2, u"deu"_s, u"Deutsch"_s, false, false}};
}

QString FilmWithTracks() {
    QString arguments =
        u"-f lavfi -i testsrc2=s=160x120:r=25:d=4 -f lavfi -i sine=f=440:d=4 -f lavfi -i "
        "sine=f=660:d=4 -i \"%1\" -i \"%2\" -map 0 -map 1 -map 2 -map 3 -map 4 -c:v libx264 "
        "-preset ultrafast -pix_fmt yuv420p -c:a aac -c:s srt"_s.arg(
            subRip("film-eng.srt", "Good evening."), subRip("film-deu.srt", "Guten Abend."));
    for (const MediaTrack& track : FilmTracks()) {
        arguments += u" -metadata:s:%1:%2 language=%3 -metadata:s:%1:%2 \"title=%4\""_s.arg(
            track.kind == MediaTrack::Kind::Audio ? u"a"_s : u"s"_s, QString::number(track.id - 1),
            track.language, track.title);
    }
    return Made(u"film-with-tracks.mkv"_s, arguments);
}

QString ChapteredFilm() {
    QByteArray chapters = ";FFMETADATA1\n";
    for (int i = 0; i < 5; ++i) {
        chapters += QStringLiteral("[CHAPTER]\nTIMEBASE=1/1\nSTART=%1\nEND=%2\ntitle=%3\n")
                        .arg(i * 20)
                        .arg(i * 20 + 20)
                        .arg(kFilmChapters[i])
                        .toUtf8();
    }
    const QByteArray line = "1\n00:00:30,000 --> 00:00:31,000\n";
    return Made(
        u"chaptered-film.mkv"_s,
        u"-f lavfi -i color=c=0x303030:s=320x240:r=10:d=100 -f lavfi -i sine=f=440:d=100 -f lavfi "
        "-i sine=f=660:d=100 -f ffmetadata -i \"%1\" -i \"%2\" -i \"%3\" -map 0 -map 1 -map 2 "
        "-map 4 -map 5 -map_chapters 3 -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -c:s srt"_s
            .arg(Written(u"film-chapters.txt"_s, chapters),
                 Written(u"film-first.srt"_s, line + "HALF PAST\n"),
                 Written(u"film-second.srt"_s, line + "DEMI\n")));
}

QString ClipWithSidecar() {
    const QString clip = folder().filePath(u"evening film.mp4"_s);
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
    return Written(u"junk.srt"_s, bytes);
}

QString PictureAsSubtitles() {
    QImage picture(32, 32, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    picture.save(&png, "PNG");
    return Written(u"picture.srt"_s, png.data());
}

QString SlideShow() {
    const QString slides =
        Written(u"slides.srt"_s, "1\n00:00:00,000 --> 00:20:00,000\nThe first slide.\n\n"
                                 "2\n00:35:00,000 --> 00:36:00,000\nHalf way.\n\n"
                                 "3\n01:09:00,000 --> 01:10:00,000\nThe last slide.\n");
    return Made(u"slide-show-70min.mkv"_s,
                u"-f lavfi -i color=c=0x306090:s=64x48:r=1:d=4200 -i \"%1\" -map 0 -c:v libx264 "
                "-preset ultrafast -pix_fmt yuv420p -c:s srt"_s.arg(slides) +
                    u" -map 1"_s.repeated(30));
}

} // namespace quarn::test::media
