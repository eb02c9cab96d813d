#include "session/TrackInfo.h"

#include "common/StreamUrl.h"
#include "platform/FileNames.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>
#include <cmath>
#include <functional>
#include <taglib/attachedpictureframe.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/tdebuglistener.h>
#include <taglib/tpropertymap.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

namespace quarn {

namespace {

// Embedded covers are rarely over a megabyte; past this a picture is no cover
// worth showing, and it is not copied out of the tag (TagLib holds the tag's
// bytes while the file is open, as it must to read the other tags, but the
// picture is never copied, decoded or kept).
constexpr unsigned kLargestCover = 16u << 20;

// Text that claims to be Latin-1 (all of ID3v1, ID3v2 frames marked so) is
// often UTF-8 written by a tagger that did not say so: where the bytes are
// valid UTF-8 they are taken as such, else as Latin-1, which any bytes are.
TagLib::String lenientLatin1(const TagLib::ByteVector& data) {
    QByteArrayView bytes(data.data(), qsizetype(data.size()));
    if (const qsizetype nul = bytes.indexOf('\0'); nul >= 0) {
        bytes = bytes.first(nul);
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError()) {
        text = QString::fromLatin1(bytes);
    }
    return TagLib::String(text.toStdString(), TagLib::String::UTF8).stripWhiteSpace();
}

class Id3v1Text : public TagLib::ID3v1::StringHandler {
public:
    TagLib::String parse(const TagLib::ByteVector& data) const override {
        return lenientLatin1(data);
    }
};

class Id3v2Latin1Text : public TagLib::ID3v2::Latin1StringHandler {
public:
    TagLib::String parse(const TagLib::ByteVector& data) const override {
        return lenientLatin1(data);
    }
};

// TagLib's complaints about damaged files are not the user's business.
class Quiet : public TagLib::DebugListener {
public:
    void printMessage(const TagLib::String&) override {}
};

// Set once, before the first file is read (on whichever thread comes first).
void prepareTagLib() {
    static const bool prepared = [] {
        static const Id3v1Text id3v1;
        static const Id3v2Latin1Text id3v2;
        static Quiet quiet;
        TagLib::ID3v1::Tag::setStringHandler(&id3v1);
        TagLib::ID3v2::Tag::setLatin1StringHandler(&id3v2);
        TagLib::setDebugListener(&quiet);
        return true;
    }();
    (void)prepared;
}

// Readable text: no control characters, nothing that failed to decode.
QString cleaned(const TagLib::String& tag) {
    QString text = QString::fromUtf8(tag.to8Bit(true));
    text.removeIf([](QChar c) { return c.unicode() < 0x20 || c == QChar::ReplacementCharacter; });
    return text.trimmed();
}

QString property(const TagLib::PropertyMap& properties, const char* key) {
    const auto found = properties.find(key);
    return found == properties.end() || found->second.isEmpty() ? QString()
                                                                : cleaned(found->second.front());
}

// "1/2", "03": the leading number.
int leadingNumber(const QString& text) {
    const int number = text.section(u'/', 0, 0).trimmed().toInt();
    return number > 0 && number < 10000 ? number : 0;
}

// "-6.48 dB", "0.988"; nothing for what is no sensible number.
std::optional<double> gainValue(const QString& text, bool peak) {
    QString number = text.trimmed();
    if (number.endsWith(QLatin1String("db"), Qt::CaseInsensitive)) {
        number.chop(2);
    }
    bool ok = false;
    const double value = number.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || (peak ? value < 0 || value > 100 : std::abs(value) > 100)) {
        return std::nullopt;
    }
    return value;
}

// Each embedded picture of the file, front covers first, until `take` says
// it has had enough.
using PictureVisitor = std::function<bool(const TagLib::ByteVector&)>;

bool visitId3v2(TagLib::ID3v2::Tag* tag, const PictureVisitor& take, bool front) {
    if (tag == nullptr) {
        return false;
    }
    for (TagLib::ID3v2::Frame* frame : tag->frameListMap()["APIC"]) {
        const auto* picture = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame*>(frame);
        if (picture != nullptr &&
            (!front || picture->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover) &&
            take(picture->picture())) {
            return true;
        }
    }
    return false;
}

bool visitFlac(const TagLib::List<TagLib::FLAC::Picture*>& pictures, const PictureVisitor& take,
               bool front) {
    for (TagLib::FLAC::Picture* picture : pictures) {
        if ((!front || picture->type() == TagLib::FLAC::Picture::FrontCover) &&
            take(picture->data())) {
            return true;
        }
    }
    return false;
}

void visitPictures(TagLib::File* file, const PictureVisitor& take) {
    for (const bool front : {true, false}) {
        bool done = false;
        if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(file)) {
            done = mpeg->hasID3v2Tag() && visitId3v2(mpeg->ID3v2Tag(), take, front);
        } else if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(file)) {
            done = wav->hasID3v2Tag() && visitId3v2(wav->ID3v2Tag(), take, front);
        } else if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(file)) {
            done = visitFlac(flac->pictureList(), take, front) ||
                   (flac->hasXiphComment() &&
                    visitFlac(flac->xiphComment()->pictureList(), take, front));
        } else if (auto* vorbis = dynamic_cast<TagLib::Ogg::Vorbis::File*>(file)) {
            done = visitFlac(vorbis->tag()->pictureList(), take, front);
        } else if (auto* opus = dynamic_cast<TagLib::Ogg::Opus::File*>(file)) {
            done = visitFlac(opus->tag()->pictureList(), take, front);
        } else if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(file)) {
            // MP4 covers say nothing of what they show: all count as front.
            const TagLib::MP4::Tag* tag = mp4->tag();
            if (front && tag != nullptr && tag->contains("covr")) {
                for (const TagLib::MP4::CoverArt& cover : tag->item("covr").toCoverArtList()) {
                    if (take(cover.data())) {
                        done = true;
                        break;
                    }
                }
            }
        }
        if (done) {
            return;
        }
    }
}

void readTag(const TagLib::Tag* tag, TrackInfo& info) {
    if (tag != nullptr) {
        info.title = cleaned(tag->title());
        info.artist = cleaned(tag->artist());
        info.album = cleaned(tag->album());
        info.year = tag->year() < 10000 ? int(tag->year()) : 0;
        info.track = tag->track() < 10000 ? int(tag->track()) : 0;
    }
}

// Only plain local files are opened: a FIFO or a device would hold the
// reader up, and a stream is never contacted.
bool readable(const QString& path) {
    if (path.isEmpty() || IsStreamUrl(path)) {
        return false;
    }
    const platform::FileFacts facts = platform::InspectFile(path);
    return facts.regular && facts.readable;
}

TrackInfo read(const QString& path, bool withLength) {
    TrackInfo info;
    if (!readable(path)) {
        return info;
    }
    prepareTagLib();
    try {
        const QByteArray name = platform::FileNameToBytes(path);
        const TagLib::FileRef file(name.constData(), withLength);
        if (file.isNull()) {
            return info;
        }
        readTag(file.tag(), info);
        // A WAV file's tag is its ID3v2 chunk; many have only a RIFF INFO list.
        if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(file.file());
            wav != nullptr && wav->hasInfoTag() && info.title.isEmpty() && info.artist.isEmpty()) {
            readTag(wav->InfoTag(), info);
        }
        const TagLib::PropertyMap properties = file.file()->properties();
        info.albumArtist = property(properties, "ALBUMARTIST");
        info.disc = leadingNumber(property(properties, "DISCNUMBER"));
        info.trackGain = gainValue(property(properties, "REPLAYGAIN_TRACK_GAIN"), false);
        info.albumGain = gainValue(property(properties, "REPLAYGAIN_ALBUM_GAIN"), false);
        info.trackPeak = gainValue(property(properties, "REPLAYGAIN_TRACK_PEAK"), true);
        info.albumPeak = gainValue(property(properties, "REPLAYGAIN_ALBUM_PEAK"), true);
        visitPictures(file.file(), [&](const TagLib::ByteVector& data) {
            info.hasPicture = !data.isEmpty();
            return info.hasPicture;
        });
        if (const TagLib::AudioProperties* audio = withLength ? file.audioProperties() : nullptr;
            audio != nullptr && audio->lengthInMilliseconds() > 0) {
            info.length = audio->lengthInMilliseconds() / 1000.0;
        }
    } catch (...) {
        return {}; // out of memory on a hostile file, say: nothing is known
    }
    return info;
}

} // namespace

TrackInfo ReadTrackInfo(const QString& path) {
    return read(path, true);
}

TrackInfo ReadTrackTags(const QString& path) {
    return read(path, false);
}

QByteArray ReadCoverArt(const QString& path) {
    if (!readable(path)) {
        return {};
    }
    prepareTagLib();
    QByteArray cover;
    try {
        const QByteArray name = platform::FileNameToBytes(path);
        const TagLib::FileRef file(name.constData(), false);
        if (file.isNull()) {
            return {};
        }
        visitPictures(file.file(), [&](const TagLib::ByteVector& data) {
            if (data.isEmpty() || data.size() > kLargestCover) {
                return false;
            }
            cover = QByteArray(data.data(), qsizetype(data.size()));
            return true;
        });
    } catch (...) {
        return {};
    }
    return cover;
}

QString FindFolderCover(const QString& audioPath) {
    if (audioPath.isEmpty() || IsStreamUrl(audioPath)) {
        return {};
    }
    const QDir folder = QFileInfo(audioPath).absoluteDir();
    const QStringList names = folder.entryList(QDir::Files | QDir::Readable);
    for (const char* base : {"cover", "folder", "front", "album"}) {
        for (const char* ending : {".jpg", ".jpeg", ".png"}) {
            const QString wanted = QLatin1String(base) + QLatin1String(ending);
            for (const QString& name : names) {
                if (name.compare(wanted, Qt::CaseInsensitive) == 0) {
                    return folder.filePath(name);
                }
            }
        }
    }
    return {};
}

} // namespace quarn
