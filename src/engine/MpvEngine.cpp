#include "engine/MpvEngine.h"

#include "common/StreamUrl.h"
#include "engine/VideoOutputChoice.h"
#include "platform/FileNames.h"
#include "platform/Graphics.h"

#include <QFileInfo>
#include <QThread>
#include <QUrl>
#include <algorithm>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstring>
#include <mpv/client.h>
#include <utility>
#include <vector>

namespace quarn {

namespace {

// Sound outputs to try in order; the null output last, so that a machine
// without a sound device still plays files in real time (and their ends come).
#if defined(Q_OS_WIN)
constexpr const char* kAudioOutputs = "wasapi,null";
#elif defined(Q_OS_MACOS)
constexpr const char* kAudioOutputs = "coreaudio,null";
#else
constexpr const char* kAudioOutputs = "pipewire,pulse,alsa,null";
#endif

// What the engine observes, by the number mpv hands back with each change.
enum Observed : std::uint64_t {
    KTimePos = 1,
    KDuration,
    KVideoWidth,
    KVideoHeight,
    KCurrentVo,
    KMetadata,
    KTrackList,
    KSpeed
};
// Replies to loadfile commands carry this plus the command's serial number;
// those to sub-add this bit plus the serial of the load they were sent in,
// and those to screenshots this bit.
constexpr std::uint64_t kLoadReply = 1000;
constexpr std::uint64_t kSubtitleReply = std::uint64_t(1) << 62;
constexpr std::uint64_t kScreenshotReply = std::uint64_t(1) << 61;

// mpv's own bounds of the speed.
constexpr double kSlowest = 0.01;
constexpr double kFastest = 100;

constexpr const char* kNothingShown = "Nothing is shown to take a picture of.";

// The video output is chosen once for the whole run, for every engine.
VideoOutputChoice& videoOutputs() {
    static VideoOutputChoice choice(platform::HasHardwareGraphics());
    return choice;
}

void setOption(mpv_handle* mpv, const QByteArray& name, const QByteArray& value) {
    // Unknown options (an older or newer mpv) are not fatal; the player runs without them.
    mpv_set_option_string(mpv, name.constData(), value.constData());
}

// A local path is handed to mpv as a file URL, so that no part of a file's
// name can be taken for an option, a protocol or a playlist command.
QByteArray fileTarget(const QString& path) {
    if (IsStreamUrl(path)) {
        return QUrl(path).toEncoded(QUrl::FullyEncoded);
    }
    return platform::FileUrl(path);
}

// Why mpv must never be given this file ("a media file", say), with a reason
// the user understands; "" when it may. Nothing here opens the file, so
// nothing blocks on a FIFO or a device.
QString fileProblem(const QString& located, const QString& kind) {
    const platform::FileFacts facts = platform::InspectFile(located);
    if (!facts.exists) {
        return QStringLiteral("The file does not exist.");
    }
    if (facts.folder) {
        return QStringLiteral("This is a folder, not %1.").arg(kind);
    }
    if (!facts.regular) {
        return QStringLiteral("This is not a regular file.");
    }
    if (!facts.readable) {
        return QStringLiteral("The file cannot be read.");
    }
    if (facts.size == 0) {
        return QStringLiteral("The file is empty.");
    }
    return {};
}

// The file a path stands for; what mpv must never be given is refused.
QString checkPlayableFile(const QString& path) {
    if (IsStreamUrl(path)) {
        return path;
    }
    const QString located = platform::LocateFile(path);
    if (const QString problem = fileProblem(located, QStringLiteral("a media file"));
        !problem.isEmpty()) {
        throw EngineError(EngineError::kCannotPlay, problem);
    }
    return located;
}

// mpv's reasons ("unrecognized file format") as a message box shows them.
QString asSentence(QString reason) {
    if (!reason.isEmpty()) {
        reason[0] = reason[0].toUpper();
        if (!reason.endsWith(QLatin1Char('.'))) {
            reason += QLatin1Char('.');
        }
    }
    return reason;
}

// The title, artist and album among a file's tags (their keys in any case).
MediaTags tagsFrom(const mpv_event_property& change) {
    MediaTags tags;
    if (change.format != MPV_FORMAT_NODE) {
        return tags;
    }
    const auto& node = *static_cast<const mpv_node*>(change.data);
    if (node.format != MPV_FORMAT_NODE_MAP) {
        return tags;
    }
    for (int i = 0; i < node.u.list->num; ++i) {
        const mpv_node& value = node.u.list->values[i];
        if (value.format != MPV_FORMAT_STRING) {
            continue;
        }
        const QString key = QString::fromUtf8(node.u.list->keys[i]).toLower();
        const QString text = QString::fromUtf8(value.u.string).trimmed();
        if (key == QLatin1String("title")) {
            tags.title = text;
        } else if (key == QLatin1String("artist")) {
            tags.artist = text;
        } else if (key == QLatin1String("album")) {
            tags.album = text;
        }
    }
    return tags;
}

// The sound and subtitle tracks in mpv's track list; video tracks and entries
// that are not what mpv documents are left out.
std::vector<MediaTrack> tracksFrom(const mpv_event_property& change) {
    std::vector<MediaTrack> tracks;
    if (change.format != MPV_FORMAT_NODE) {
        return tracks;
    }
    const auto& list = *static_cast<const mpv_node*>(change.data);
    if (list.format != MPV_FORMAT_NODE_ARRAY) {
        return tracks;
    }
    for (int i = 0; i < list.u.list->num; ++i) {
        const mpv_node& entry = list.u.list->values[i];
        if (entry.format != MPV_FORMAT_NODE_MAP) {
            continue;
        }
        MediaTrack track;
        QByteArray type;
        for (int k = 0; k < entry.u.list->num; ++k) {
            const QByteArray key(entry.u.list->keys[k]);
            const mpv_node& value = entry.u.list->values[k];
            if (value.format == MPV_FORMAT_STRING) {
                const QString text = QString::fromUtf8(value.u.string).trimmed();
                if (key == "type") {
                    type = value.u.string;
                } else if (key == "lang") {
                    track.language = text;
                } else if (key == "title") {
                    track.title = text;
                }
            } else if (value.format == MPV_FORMAT_INT64 && key == "id") {
                track.id = value.u.int64 > 0 && value.u.int64 <= INT_MAX ? int(value.u.int64) : 0;
            } else if (value.format == MPV_FORMAT_FLAG) {
                if (key == "selected") {
                    track.selected = value.u.flag != 0;
                } else if (key == "external") {
                    track.external = value.u.flag != 0;
                }
            }
        }
        if ((type == "audio" || type == "sub") && track.id > 0) {
            track.kind = type == "audio" ? MediaTrack::Kind::Audio : MediaTrack::Kind::Subtitle;
            tracks.push_back(track);
        }
    }
    return tracks;
}

// The picture in a reply to screenshot-raw: rows of "bgr0" pixels (blue,
// green, red and a spare byte), each `stride` bytes apart. Null when the
// reply is not that.
QImage imageFrom(const mpv_node& reply) {
    if (reply.format != MPV_FORMAT_NODE_MAP) {
        return {};
    }
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::int64_t stride = 0;
    bool bgr0 = false;
    const mpv_byte_array* data = nullptr;
    for (int i = 0; i < reply.u.list->num; ++i) {
        const QByteArray key(reply.u.list->keys[i]);
        const mpv_node& value = reply.u.list->values[i];
        if (value.format == MPV_FORMAT_INT64 && key == "w") {
            width = value.u.int64;
        } else if (value.format == MPV_FORMAT_INT64 && key == "h") {
            height = value.u.int64;
        } else if (value.format == MPV_FORMAT_INT64 && key == "stride") {
            stride = value.u.int64;
        } else if (value.format == MPV_FORMAT_STRING && key == "format") {
            bgr0 = qstrcmp(value.u.string, "bgr0") == 0;
        } else if (value.format == MPV_FORMAT_BYTE_ARRAY && key == "data") {
            data = value.u.ba;
        }
    }
    constexpr std::int64_t kLargestSide = 1 << 16;
    if (!bgr0 || data == nullptr || width <= 0 || height <= 0 || width > kLargestSide ||
        height > kLargestSide || stride < width * 4 || stride > 8 * kLargestSide ||
        std::int64_t(data->size) < stride * (height - 1) + width * 4) {
        return {};
    }
    const auto* bytes = static_cast<const uchar*>(data->data);
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    QImage image(int(width), int(height), QImage::Format_RGB32); // bytes B, G, R, unused
#else
    QImage image(int(width), int(height), QImage::Format_RGBX8888); // R, G, B, unused
#endif
    if (image.isNull()) {
        return {};
    }
    for (int y = 0; y < image.height(); ++y) {
        std::memcpy(image.scanLine(y), bytes + y * stride, std::size_t(width) * 4);
    }
#if Q_BYTE_ORDER != Q_LITTLE_ENDIAN
    image.rgbSwap();
#endif
    return image;
}

QString reasonFor(const mpv_event_end_file& end) {
    if (end.reason == MPV_END_FILE_REASON_REDIRECT) {
        return QStringLiteral("Playlists are not played.");
    }
    if (end.reason == MPV_END_FILE_REASON_ERROR && end.error < 0) {
        const QString text = asSentence(QString::fromUtf8(mpv_error_string(end.error)));
        if (!text.isEmpty()) {
            return text;
        }
    }
    return QStringLiteral("No audio or video could be played from it.");
}

} // namespace

MpvEngine::MpvEngine(WId videoWindow, const MpvOptions& extraOptions, QObject* parent)
    : MediaEngine(parent), videoWindow_(videoWindow), extraOptions_(extraOptions) {
    createMpv();
}

void MpvEngine::createMpv() {
    // libmpv parses numbers the C way and refuses to start in any other
    // numeric locale (the toolkit sets the user's at start-up).
    std::setlocale(LC_NUMERIC, "C");
    mpv_ = mpv_create();
    if (mpv_ == nullptr) {
        throw EngineError(EngineError::kCannotPlay, QStringLiteral("mpv could not be created."));
    }
    setOption(mpv_, "config", "no");
    setOption(mpv_, "load-scripts", "no");
    setOption(mpv_, "osc", "no");
    setOption(mpv_, "ytdl", "no");
    setOption(mpv_, "load-stats-overlay", "no");
    setOption(mpv_, "load-osd-console", "no");
    setOption(mpv_, "load-auto-profiles", "no");
    setOption(mpv_, "terminal", "no");
    setOption(mpv_, "input-default-bindings", "no");
    setOption(mpv_, "input-vo-keyboard", "no");
    // mpv's window then takes no mouse input, so presses reach the player's window.
    setOption(mpv_, "input-cursor", "no");
    setOption(mpv_, "cursor-autohide", "no");
    setOption(mpv_, "osd-level", "0");
    setOption(mpv_, "idle", "yes");
    setOption(mpv_, "keep-open", "no");
    setOption(mpv_, "force-window", "no");
    setOption(mpv_, "hwdec", "auto-safe");
    // The screen saver is the player's business (it is held off while playing).
    setOption(mpv_, "stop-screensaver", "no");
    // Sound-only files show the black display, not their cover art.
    setOption(mpv_, "audio-display", "no");
    // A subtitle file of the same name beside a film shows with it.
    setOption(mpv_, "sub-auto", "exact");
    // What the user set holds in a new mpv too.
    setOption(mpv_, "speed", QByteArray::number(speed_, 'g', 17));
    setOption(mpv_, "loop-file", loopFile_ ? "inf" : "no");
    setOption(mpv_, "ao", kAudioOutputs);
    if (videoWindow_ != 0) {
        appliedOutputs_ = videoOutputs().Outputs();
        setOption(mpv_, "vo", appliedOutputs_);
#if defined(Q_OS_LINUX) || defined(Q_OS_FREEBSD)
        // The video is embedded in an X11 window: only X11 contexts can serve.
        setOption(mpv_, "gpu-context", "x11egl,x11");
#endif
        auto wid = static_cast<int64_t>(videoWindow_);
        mpv_set_option(mpv_, "wid", MPV_FORMAT_INT64, &wid);
    } else {
        setOption(mpv_, "vid", "no");
        setOption(mpv_, "vo", "null");
    }
    for (const auto& [name, value] : extraOptions_) {
        setOption(mpv_, name.toUtf8(), value.toUtf8());
    }
    if (mpv_initialize(mpv_) < 0) {
        mpv_terminate_destroy(mpv_);
        mpv_ = nullptr;
        throw EngineError(EngineError::kCannotPlay, QStringLiteral("mpv could not be started."));
    }
    mpv_observe_property(mpv_, KTimePos, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_observe_property(mpv_, KDuration, "duration", MPV_FORMAT_DOUBLE);
    mpv_observe_property(mpv_, KMetadata, "metadata", MPV_FORMAT_NODE);
    mpv_observe_property(mpv_, KTrackList, "track-list", MPV_FORMAT_NODE);
    mpv_observe_property(mpv_, KSpeed, "speed", MPV_FORMAT_DOUBLE);
    if (videoWindow_ != 0) {
        mpv_observe_property(mpv_, KVideoWidth, "dwidth", MPV_FORMAT_INT64);
        mpv_observe_property(mpv_, KVideoHeight, "dheight", MPV_FORMAT_INT64);
        mpv_observe_property(mpv_, KCurrentVo, "current-vo", MPV_FORMAT_STRING);
    }
    mpv_set_wakeup_callback(
        mpv_, [](void* self) { static_cast<MpvEngine*>(self)->scheduleDrain(); }, this);
    SetVolume(volume_);
    SetMuted(muted_);
}

MpvEngine::~MpvEngine() {
    if (mpv_ == nullptr) {
        return;
    }
    mpv_set_wakeup_callback(mpv_, nullptr, nullptr);
    // Fade the sound out over a few milliseconds so that it does not end in a click.
    if (Playing()) {
        for (int step = 4; step >= 0; --step) {
            double volume = volume_ * step / 5.0;
            mpv_set_property_async(mpv_, 0, "volume", MPV_FORMAT_DOUBLE, &volume);
            QThread::msleep(8);
        }
    }
    mpv_terminate_destroy(mpv_);
}

void MpvEngine::RestartAfterOutputLoss() {
    // mpv waits on its broken thread for good: it can neither go on nor be
    // shut down, so it is left as it is and a new one takes its place.
    if (mpv_ != nullptr) {
        mpv_set_wakeup_callback(mpv_, nullptr, nullptr);
        mpv_ = nullptr;
    }
    const bool wasOpen = !fileName_.isEmpty();
    fileName_.clear();
    resume_.reset();
    load_ = Load::None;
    entryId_ = -1;
    startedId_ = -1;
    position_ = 0;
    duration_ = 0;
    videoWidth_ = 0;
    videoHeight_ = 0;
    reportedSize_ = QSize();
    paused_ = false;
    stopped_ = false;
    createMpv();
    if (wasOpen) {
        QMetaObject::invokeMethod(
            this, [this] { emit Failed(QStringLiteral("The video output failed.")); },
            Qt::QueuedConnection);
    }
}

void MpvEngine::command(std::initializer_list<QByteArray> args, std::uint64_t replyTo) {
    std::vector<const char*> argv;
    argv.reserve(args.size() + 1);
    for (const auto& a : args) {
        argv.push_back(a.constData());
    }
    argv.push_back(nullptr);
    mpv_command_async(mpv_, replyTo, argv.data());
}

void MpvEngine::setText(const char* name, const char* value) {
    mpv_set_property_async(mpv_, 0, name, MPV_FORMAT_STRING, &value);
}

void MpvEngine::setFlag(const char* name, bool value) {
    int flag = value ? 1 : 0;
    mpv_set_property_async(mpv_, 0, name, MPV_FORMAT_FLAG, &flag);
}

void MpvEngine::scheduleDrain() {
    // Called on mpv's thread; one queued drain at a time is enough.
    if (!drainPosted_.exchange(true)) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                drainPosted_ = false;
                drainEvents();
            },
            Qt::QueuedConnection);
    }
}

void MpvEngine::drainEvents() {
    while (mpv_ != nullptr) {
        const mpv_event* event = mpv_wait_event(mpv_, 0);
        if (event->event_id == MPV_EVENT_NONE) {
            break;
        }
        handleEvent(*event);
    }
    if (std::exchange(sizeChanged_, false)) {
        videoSizeReported();
    }
}

void MpvEngine::handleEvent(const mpv_event& event) {
    switch (event.event_id) {
    case MPV_EVENT_COMMAND_REPLY:
        if ((event.reply_userdata & kSubtitleReply) != 0) {
            subtitleReplied(event);
        } else if ((event.reply_userdata & kScreenshotReply) != 0) {
            screenshotReplied(event);
        } else {
            loadReplied(event);
        }
        break;
    case MPV_EVENT_START_FILE:
        startedId_ = static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id;
        break;
    case MPV_EVENT_FILE_LOADED:
        if (load_ == Load::Waiting && entryId_ >= 0 && startedId_ == entryId_) {
            load_ = Load::Loaded;
            // mpv leaves out a change that ends where its last report did: a
            // file as long as the one before, with the same tracks or tags,
            // would go without them had mpv not told of the file between.
            mpv_get_property_async(mpv_, KDuration, "duration", MPV_FORMAT_DOUBLE);
            mpv_get_property_async(mpv_, KTrackList, "track-list", MPV_FORMAT_NODE);
            mpv_get_property_async(mpv_, KMetadata, "metadata", MPV_FORMAT_NODE);
            const Purpose purpose = purpose_;
            if (purpose == Purpose::Resume && resume_) {
                stopped_ = resume_->stopped;
            }
            resume_.reset();
            if (purpose != Purpose::Resume) {
                // Told once mpv is done with this event: whoever listens may
                // open another file meanwhile.
                QMetaObject::invokeMethod(
                    this, [this] { emit Opened(); }, Qt::QueuedConnection);
            }
        }
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        timeline_.Settled();
        break;
    case MPV_EVENT_END_FILE:
        fileEnded(*static_cast<const mpv_event_end_file*>(event.data));
        break;
    case MPV_EVENT_PROPERTY_CHANGE:
    case MPV_EVENT_GET_PROPERTY_REPLY: {
        if (event.data == nullptr) {
            break;
        }
        const auto& change = *static_cast<const mpv_event_property*>(event.data);
        const bool ours = entryId_ >= 0 && startedId_ == entryId_;
        switch (event.reply_userdata) {
        case KTimePos:
            position_ = ours && change.format == MPV_FORMAT_DOUBLE
                            ? timeline_.Position(*static_cast<const double*>(change.data))
                            : 0.0;
            // A leap of the file's timestamps moves its length with it.
            durationReported();
            emit PositionChanged(position_);
            break;
        case KDuration:
            engineDuration_ = ours && change.format == MPV_FORMAT_DOUBLE
                                  ? *static_cast<const double*>(change.data)
                                  : 0.0;
            durationReported();
            break;
        case KVideoWidth:
        case KVideoHeight: {
            const std::int64_t value = change.format == MPV_FORMAT_INT64
                                           ? *static_cast<const std::int64_t*>(change.data)
                                           : 0;
            (event.reply_userdata == KVideoWidth ? videoWidth_ : videoHeight_) = value;
            // Both halves of a new size come together: told once mpv has
            // said all it has to say for now.
            sizeChanged_ = true;
            break;
        }
        case KTrackList:
            tracksReported(ours ? tracksFrom(change) : std::vector<MediaTrack>());
            break;
        case KSpeed:
            if (change.format == MPV_FORMAT_DOUBLE) {
                const double speed = *static_cast<const double*>(change.data);
                if (speed != reportedSpeed_) {
                    reportedSpeed_ = speed;
                    emit SpeedChanged(speed);
                }
            }
            break;
        case KMetadata:
            if (const MediaTags tags = ours ? tagsFrom(change) : MediaTags(); tags != tags_) {
                tags_ = tags;
                emit TagsChanged();
            }
            break;
        case KCurrentVo:
            if (change.format == MPV_FORMAT_STRING) {
                videoOutputs().Adopt(QByteArray(*static_cast<const char* const*>(change.data)));
            } else if (videoOutputs().Outputs() != appliedOutputs_) {
                // No video output exists just now: the next one is made with
                // the output that worked, without probing the others again.
                appliedOutputs_ = videoOutputs().Outputs();
                const char* outputs = appliedOutputs_.constData();
                mpv_set_property_async(mpv_, 0, "vo", MPV_FORMAT_STRING, &outputs);
            }
            break;
        default:
            break;
        }
        break;
    }
    default:
        break;
    }
}

void MpvEngine::loadReplied(const mpv_event& event) {
    if (event.reply_userdata != kLoadReply + loadSerial_ || load_ != Load::Waiting) {
        return; // a load that was replaced meanwhile
    }
    if (event.error < 0) {
        notOpened(asSentence(QString::fromUtf8(mpv_error_string(event.error))));
        return;
    }
    const mpv_node& result = static_cast<const mpv_event_command*>(event.data)->result;
    if (result.format == MPV_FORMAT_NODE_MAP) {
        for (int i = 0; i < result.u.list->num; ++i) {
            if (qstrcmp(result.u.list->keys[i], "playlist_entry_id") == 0 &&
                result.u.list->values[i].format == MPV_FORMAT_INT64) {
                entryId_ = result.u.list->values[i].u.int64;
            }
        }
    }
}

void MpvEngine::subtitleReplied(const mpv_event& event) {
    // mpv found nothing to show in the file (of a load since replaced, the
    // refusal is no news to anyone).
    if (event.error < 0 && event.reply_userdata == (kSubtitleReply | loadSerial_)) {
        QMetaObject::invokeMethod(
            this, [this] { emit SubtitleRefused(QStringLiteral("This file holds no subtitles.")); },
            Qt::QueuedConnection);
    }
}

void MpvEngine::screenshotReplied(const mpv_event& event) {
    // Told once mpv is done with this event: whoever listens may ask where
    // to save the picture meanwhile.
    if (event.error < 0) {
        QMetaObject::invokeMethod(
            this, [this] { emit ScreenshotFailed(QString::fromLatin1(kNothingShown)); },
            Qt::QueuedConnection);
        return;
    }
    const QImage frame = imageFrom(static_cast<const mpv_event_command*>(event.data)->result);
    QMetaObject::invokeMethod(
        this,
        [this, frame] {
            if (frame.isNull()) {
                emit ScreenshotFailed(QStringLiteral("The picture could not be taken."));
            } else {
                emit ScreenshotTaken(frame);
            }
        },
        Qt::QueuedConnection);
}

void MpvEngine::tracksReported(std::vector<MediaTrack> tracks) {
    if (tracks != tracks_) {
        tracks_ = std::move(tracks);
        emit TracksChanged();
    }
}

void MpvEngine::fileEnded(const mpv_event_end_file& end) {
    if (entryId_ < 0 || end.playlist_entry_id != entryId_) {
        return; // the end of a file that was replaced
    }
    if (load_ == Load::Waiting) {
        notOpened(reasonFor(end));
        return;
    }
    entryId_ = -1;
    position_ = 0;
    duration_ = 0;
    if (load_ != Load::Loaded) {
        return;
    }
    load_ = Load::None;
    stopped_ = false;
    if (end.reason == MPV_END_FILE_REASON_EOF) {
        QMetaObject::invokeMethod(
            this, [this] { emit EndOfStream(0); }, Qt::QueuedConnection);
    } else if (end.reason == MPV_END_FILE_REASON_ERROR) {
        fileName_.clear();
        const QString reason = reasonFor(end);
        QMetaObject::invokeMethod(
            this, [this, reason] { emit Failed(reason); }, Qt::QueuedConnection);
    }
}

void MpvEngine::notOpened(const QString& reason) {
    load_ = Load::None;
    entryId_ = -1;
    position_ = 0;
    duration_ = 0;
    if (purpose_ == Purpose::Open) {
        refused(reason);
        return;
    }
    // Played again after its end, or taken up again after a refusal: the file
    // has gone bad meanwhile.
    fileName_.clear();
    resume_.reset();
    QMetaObject::invokeMethod(
        this, [this, reason] { emit Failed(reason); }, Qt::QueuedConnection);
}

void MpvEngine::refused(const QString& reason) {
    fileName_.clear();
    const std::optional<Resume> previous = std::exchange(resume_, std::nullopt);
    QString gone;
    if (previous) {
        try {
            checkPlayableFile(previous->path);
            // What played before the refused file goes on where it was.
            fileName_ = previous->path;
            resume_ = previous;
            paused_ = previous->paused;
            audioChoice_ = previous->audio;
            subtitleChoice_ = previous->subtitle;
            startLoading(previous->path, Purpose::Resume, previous->position);
        } catch (const EngineError& error) {
            gone = error.Reason();
        }
    }
    if (fileName_.isEmpty()) {
        command({"stop"}); // nothing else of that file (a playlist's entries) may play
    }
    QMetaObject::invokeMethod(
        this,
        [this, reason, gone] {
            emit Refused(EngineError::kCannotPlay, reason);
            if (!gone.isEmpty()) {
                emit Failed(gone);
            }
        },
        Qt::QueuedConnection);
}

void MpvEngine::videoSizeReported() {
    const QSize size =
        videoWidth_ > 0 && videoHeight_ > 0 ? QSize(int(videoWidth_), int(videoHeight_)) : QSize();
    if (size != reportedSize_) {
        reportedSize_ = size;
        emit VideoSizeChanged(size);
    }
}

void MpvEngine::durationReported() {
    const double length = entryId_ >= 0 ? timeline_.Length(engineDuration_) : 0.0;
    if (length != duration_) {
        duration_ = length;
        emit DurationChanged(duration_);
    }
}

void MpvEngine::startLoading(const QString& path, Purpose purpose, double startAt) {
    load_ = Load::Waiting;
    purpose_ = purpose;
    entryId_ = -1;
    position_ = 0;
    duration_ = 0;
    stopped_ = false;
    if (purpose != Purpose::Resume) {
        paused_ = false;
    }
    setFlag("pause", paused_);
    // A local file never leads to the network: no playlist, reference or
    // segment list in it is followed, and FFmpeg opens local files only.
    const bool stream = IsStreamUrl(path);
    engineDuration_ = 0;
    timeline_.Start(std::isfinite(startAt) && startAt > 0 ? startAt : 0,
                    stream ? 0 : double(platform::InspectFile(path).size));
    setText("access-references", stream ? "yes" : "no");
    setText("demuxer-lavf-o", stream ? "" : "protocol_whitelist=file");
    emit Loading();
    ++loadSerial_;
    // Options of this file alone: a track chosen in it is not carried to the next.
    QByteArray options = "aid=" + audioChoice_ + ",sid=" + subtitleChoice_;
    if (std::isfinite(startAt) && startAt > 0) {
        options += ",start=" + QByteArray::number(startAt, 'f', 3);
    }
    command({"loadfile", fileTarget(path), "replace", options}, kLoadReply + loadSerial_);
}

void MpvEngine::SetFileName(const QString& path, double startAt) {
    if (path.isEmpty()) {
        fileName_.clear();
        resume_.reset();
        load_ = Load::None;
        entryId_ = -1;
        position_ = 0;
        duration_ = 0;
        command({"stop"});
        return;
    }
    // What mpv need not be asked about is refused before the open file is touched.
    const QString located = checkPlayableFile(path);
    // Remembered so that a file mpv refuses does not cost the user what was
    // playing. While another file is still opening, what played before that
    // one stays the one to go back to.
    if (load_ == Load::Loaded) {
        resume_ = Resume{fileName_, position_, paused_, stopped_, audioChoice_, subtitleChoice_};
    } else if (load_ == Load::None || purpose_ == Purpose::Replay) {
        resume_.reset();
    }
    fileName_ = located;
    audioChoice_ = subtitleChoice_ = "auto";
    startLoading(located, Purpose::Open, startAt);
}

void MpvEngine::Play() {
    if (fileName_.isEmpty()) {
        return;
    }
    if (load_ == Load::None) {
        // The file played to its end: play it again from the start.
        startLoading(fileName_, Purpose::Replay);
        return;
    }
    stopped_ = false;
    paused_ = false;
    setFlag("pause", false);
}

void MpvEngine::Pause() {
    paused_ = true;
    setFlag("pause", true);
}

void MpvEngine::Stop() {
    // Stopped means held at the start, ready to play again; the position reads 0.
    paused_ = true;
    setFlag("pause", true);
    if (load_ == Load::Loaded) {
        timeline_.Seek(0);
        command({"seek", QByteArray::number(timeline_.EngineTime(0), 'f', 3), "absolute+exact"});
    }
    stopped_ = true;
}

bool MpvEngine::Playing() const {
    return load_ != Load::None && !paused_ && !stopped_;
}

bool MpvEngine::Stopped() const {
    return load_ == Load::None || stopped_;
}

double MpvEngine::CurrentPosition() const {
    return stopped_ ? 0.0 : position_;
}

void MpvEngine::SetCurrentPosition(double seconds) {
    if (load_ != Load::Loaded) {
        return;
    }
    timeline_.Seek(seconds);
    command({"seek", QByteArray::number(timeline_.EngineTime(seconds), 'f', 3), "absolute"});
    position_ = seconds;
}

double MpvEngine::Duration() const {
    return duration_;
}

void MpvEngine::SetVolume(int volume) {
    volume_ = std::clamp(volume, 0, 100);
    double level = volume_;
    mpv_set_property_async(mpv_, 0, "volume", MPV_FORMAT_DOUBLE, &level);
}

void MpvEngine::SetMuted(bool muted) {
    muted_ = muted;
    setFlag("mute", muted);
}

void MpvEngine::SetSpeed(double factor) {
    if (!std::isfinite(factor) || factor <= 0) {
        return; // no speed at all
    }
    speed_ = std::clamp(factor, kSlowest, kFastest);
    mpv_set_property_async(mpv_, 0, "speed", MPV_FORMAT_DOUBLE, &speed_);
}

void MpvEngine::SetLoopFile(bool loop) {
    loopFile_ = loop;
    setText("loop-file", loop ? "inf" : "no");
}

void MpvEngine::StepFrame(bool forward) {
    if (load_ != Load::Loaded) {
        return;
    }
    paused_ = true;
    stopped_ = false;
    command({forward ? "frame-step" : "frame-back-step"});
}

void MpvEngine::SelectTrack(MediaTrack::Kind kind, int id) {
    const bool known = std::any_of(tracks_.begin(), tracks_.end(), [&](const MediaTrack& track) {
        return track.kind == kind && track.id == id;
    });
    if (load_ != Load::Loaded || (id != 0 && !known)) {
        return;
    }
    const bool audio = kind == MediaTrack::Kind::Audio;
    QByteArray& choice = audio ? audioChoice_ : subtitleChoice_;
    choice = id == 0 ? QByteArray("no") : QByteArray::number(id);
    setText(audio ? "aid" : "sid", choice.constData());
}

void MpvEngine::AddSubtitleFile(const QString& path) {
    QString problem;
    QString located;
    if (load_ != Load::Loaded) {
        problem = QStringLiteral("Subtitles can be added only to a file that is open.");
    } else if (IsStreamUrl(path)) {
        problem = QStringLiteral("Subtitles are read only from files on this computer.");
    } else {
        located = platform::LocateFile(path);
        problem = fileProblem(located, QStringLiteral("a subtitle file"));
    }
    if (!problem.isEmpty()) {
        emit SubtitleRefused(problem);
        return;
    }
    // Named as the user reads the file's name (mpv would show the end of its URL).
    const QString title = platform::ReadableFileName(QFileInfo(located).fileName());
    command({"sub-add", platform::FileUrl(located), "select", title.toUtf8()},
            kSubtitleReply | loadSerial_);
}

void MpvEngine::TakeScreenshot() {
    if (load_ != Load::Loaded || videoWindow_ == 0) {
        emit ScreenshotFailed(QString::fromLatin1(kNothingShown));
        return;
    }
    command({"screenshot-raw", "video"}, kScreenshotReply);
}

} // namespace quarn
