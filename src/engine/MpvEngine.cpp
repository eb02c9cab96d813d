#include "engine/MpvEngine.h"

#include "common/StreamUrl.h"
#include "engine/VideoOutputChoice.h"
#include "platform/FileNames.h"
#include "platform/Graphics.h"

#include <QFileInfo>
#include <QRegularExpression>
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
    KSpeed,
    KChapterList,
    KChapter,
    KOsdHeight,
    KInterlaced
};
// Replies to loadfile commands carry this plus the command's serial number;
// those to sub-add this bit plus the serial of the load they were sent in,
// those to screenshots this bit; those to the appending of a next file and to
// the clearing of what was appended, theirs.
constexpr std::uint64_t kLoadReply = 1000;
constexpr std::uint64_t kSubtitleReply = std::uint64_t(1) << 62;
constexpr std::uint64_t kScreenshotReply = std::uint64_t(1) << 61;
constexpr std::uint64_t kNextReply = std::uint64_t(1) << 60;
constexpr std::uint64_t kClearReply = std::uint64_t(1) << 59;
// The hook mpv calls once a file is open, before it starts playing it.
constexpr std::uint64_t kPreloadedHook = 1;

// mpv's own bounds of the speed.
constexpr double kSlowest = 0.01;
constexpr double kFastest = 100;

constexpr const char* kNothingShown = "Nothing is shown to take a picture of.";

// mpv's names of the picture's equalizer, in PictureAdjustment's order.
constexpr const char* kAdjustmentNames[] = {"brightness", "contrast", "saturation", "gamma"};
constexpr const char* kReplayGainNames[] = {"no", "track", "album"};
// The lines of mpv's log kept while a stream opens or plays.
constexpr qsizetype kStreamLogLines = 40;

// Where a segment starts and ends, made sense of: no start (or none that is a
// time) is the file's start, no end after the start is the file's end.
MediaSegment normalized(MediaSegment segment) {
    if (!std::isfinite(segment.start) || segment.start < 0) {
        segment.start = 0;
    }
    if (!std::isfinite(segment.end) || segment.end <= segment.start) {
        segment.end = -1;
    }
    return segment;
}

// The options of one entry of mpv's playlist: its tracks and its part.
QByteArray entryOptions(const MediaSegment& segment, const QByteArray& audio,
                        const QByteArray& subtitle) {
    QByteArray options = "aid=" + audio + ",sid=" + subtitle;
    if (segment.start > 0) {
        options += ",start=" + QByteArray::number(segment.start, 'f', 3);
    }
    if (segment.end > 0) {
        options += ",end=" + QByteArray::number(segment.end, 'f', 3);
    }
    return options;
}

// What FFmpeg's messages tell of a stream that failed, in plain words; ""
// where they tell nothing. Only a stream that was still opening was closed
// by a server that said nothing at all once connected.
QString streamFailure(const QStringList& log, bool opening) {
    static const QRegularExpression httpError(QStringLiteral("HTTP error (\\d{3})"));
    for (const QString& line : log) {
        if (const auto match = httpError.match(line); match.hasMatch()) {
            return QStringLiteral("The server refused the file (HTTP %1).").arg(match.captured(1));
        }
    }
    const auto said = [&log](std::initializer_list<const char*> words) {
        return std::any_of(log.begin(), log.end(), [&words](const QString& line) {
            return std::any_of(words.begin(), words.end(), [&line](const char* word) {
                return line.contains(QLatin1String(word), Qt::CaseInsensitive);
            });
        });
    };
    if (said({"Failed to resolve hostname", "Connection refused", "No route to host",
              "Network is unreachable", "timed out", "Connection to tcp"})) {
        return QStringLiteral("The address could not be reached.");
    }
    if (said({"Stream ends prematurely", "Connection reset by peer", "Broken pipe"}) ||
        (opening && said({"Successfully connected", "End of file"}))) {
        return QStringLiteral("The server closed the connection.");
    }
    return {};
}

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
    // The screen saver is the player's business (it is held off while playing).
    setOption(mpv_, "stop-screensaver", "no");
    // Sound-only files show the black display, not their cover art.
    setOption(mpv_, "audio-display", "no");
    // A subtitle file of the same name beside a film shows with it.
    setOption(mpv_, "sub-auto", "exact");
    // What the user set holds in a new mpv too.
    setOption(mpv_, "speed", QByteArray::number(speed_, 'g', 17));
    setOption(mpv_, "loop-file", loopFile_ ? "inf" : "no");
    // The next file is read ahead and its sound follows on the device left
    // open, where its format is the open one's. ("yes" would keep the device
    // at the first file's rate for the whole run, resampling every later
    // file to it.)
    setOption(mpv_, "gapless-audio", "weak");
    setOption(mpv_, "prefetch-playlist", "yes");
    // ReplayGain never makes a file clip ("no" lowers the gain instead); a
    // file without its tags plays as it is.
    setOption(mpv_, "replaygain-clip", "no");
    setOption(mpv_, "replaygain-fallback", "0");
    // Text subtitles keep their margin from the bottom of the output, black
    // bars and all, and styled ones stand in the bars too: controls along the
    // bottom of the screen push both above them.
    setOption(mpv_, "sub-use-margins", "yes");
    setOption(mpv_, "sub-ass-force-margins", "yes");
    setOption(mpv_, "ao", kAudioOutputs);
    if (videoWindow_ != 0) {
        appliedOutputs_ = videoOutputs().Outputs();
        setOption(mpv_, "vo", appliedOutputs_);
        setOption(mpv_, "hwdec", videoOutputs().HardwareDecoding());
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
    mpv_observe_property(mpv_, KChapterList, "chapter-list", MPV_FORMAT_NODE);
    mpv_observe_property(mpv_, KChapter, "chapter", MPV_FORMAT_INT64);
    if (videoWindow_ != 0) {
        mpv_observe_property(mpv_, KOsdHeight, "osd-height", MPV_FORMAT_INT64);
        mpv_observe_property(mpv_, KInterlaced, "video-frame-info/interlaced", MPV_FORMAT_FLAG);
        mpv_observe_property(mpv_, KVideoWidth, "dwidth", MPV_FORMAT_INT64);
        mpv_observe_property(mpv_, KVideoHeight, "dheight", MPV_FORMAT_INT64);
        mpv_observe_property(mpv_, KCurrentVo, "current-vo", MPV_FORMAT_STRING);
    }
    // Where a file starts is decided once its length is known.
    mpv_hook_add(mpv_, kPreloadedHook, "on_preloaded", 0);
    mpv_set_wakeup_callback(
        mpv_, [](void* self) { static_cast<MpvEngine*>(self)->scheduleDrain(); }, this);
    SetVolume(volume_);
    SetMuted(muted_);
    applyAdjustments();
}

void MpvEngine::applyAdjustments() {
    // What holds from one file to the next holds in a new mpv too.
    mpv_set_property_async(mpv_, 0, "sub-scale", MPV_FORMAT_DOUBLE, &subtitleScale_);
    applySubtitleMargin(); // and the place
    setFlag("deinterlace", deinterlace_ == Deinterlace::On);
    for (int i = 0; i < 4; ++i) {
        std::int64_t value = adjustments_[i];
        mpv_set_property_async(mpv_, 0, kAdjustmentNames[i], MPV_FORMAT_INT64, &value);
    }
    setText("replaygain", kReplayGainNames[int(replayGain_)]);
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
    next_.reset();
    queuedNext_.reset();
    pendingAppends_.clear();
    streamEnd_.reset();
    engineChapters_.clear();
    engineChapter_ = -1;
    osdHeight_ = 0;
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
    chaptersChanged();
    reportState();
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
    endedStream();
    if (std::exchange(sizeChanged_, false)) {
        videoSizeReported();
    }
    reportState();
}

void MpvEngine::handleEvent(const mpv_event& event) {
    switch (event.event_id) {
    case MPV_EVENT_COMMAND_REPLY:
        if ((event.reply_userdata & kSubtitleReply) != 0) {
            subtitleReplied(event);
        } else if ((event.reply_userdata & kScreenshotReply) != 0) {
            screenshotReplied(event);
        } else if ((event.reply_userdata & kNextReply) != 0) {
            nextReplied(event);
        } else if ((event.reply_userdata & kClearReply) != 0) {
            queuedNext_.reset(); // nothing follows the open file in mpv's playlist now
        } else {
            loadReplied(event);
        }
        break;
    case MPV_EVENT_START_FILE:
        endedStream();
        startedId_ = static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id;
        break;
    case MPV_EVENT_FILE_LOADED:
        endedStream();
        if (load_ == Load::Waiting && entryId_ >= 0 && startedId_ == entryId_) {
            load_ = Load::Loaded;
            if (IsStreamUrl(fileName_)) {
                mpv_request_log_messages(mpv_, "warn");
            }
            // mpv leaves out a change that ends where its last report did: a
            // file as long as the one before, with the same tracks or tags,
            // would go without them had mpv not told of the file between.
            mpv_get_property_async(mpv_, KDuration, "duration", MPV_FORMAT_DOUBLE);
            mpv_get_property_async(mpv_, KTrackList, "track-list", MPV_FORMAT_NODE);
            mpv_get_property_async(mpv_, KMetadata, "metadata", MPV_FORMAT_NODE);
            mpv_get_property_async(mpv_, KChapterList, "chapter-list", MPV_FORMAT_NODE);
            const Purpose purpose = purpose_;
            if (purpose == Purpose::Resume && resume_) {
                stopped_ = resume_->stopped;
            }
            resume_.reset();
            // A next file was told of by MovedToNext() as it took over.
            if (purpose != Purpose::Resume && purpose != Purpose::Next) {
                // Told once mpv is done with this event: whoever listens may
                // open another file meanwhile.
                QMetaObject::invokeMethod(
                    this, [this] { emit Opened(); }, Qt::QueuedConnection);
            }
        }
        break;
    case MPV_EVENT_HOOK:
        endedStream();
        preloaded(static_cast<const mpv_event_hook*>(event.data)->id);
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        timeline_.Settled();
        break;
    case MPV_EVENT_END_FILE: {
        endedStream();
        const auto& end = *static_cast<const mpv_event_end_file*>(event.data);
        if (IsStreamUrl(fileName_) && end.playlist_entry_id == entryId_) {
            // mpv hands out its log after its events: what FFmpeg said of the
            // stream is read before its end is made sense of.
            streamEnd_ = std::make_unique<mpv_event_end_file>(end);
        } else {
            fileEnded(end);
        }
        break;
    }
    case MPV_EVENT_LOG_MESSAGE:
        logged(event);
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
            // On the segment's time: 0 at its start.
            position_ = ours && change.format == MPV_FORMAT_DOUBLE
                            ? timeline_.Position(std::max(
                                  0.0, *static_cast<const double*>(change.data) - segment_.start))
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
        case KChapterList:
            chaptersReported(ours ? change : mpv_event_property{});
            break;
        case KChapter:
            engineChapter_ = ours && change.format == MPV_FORMAT_INT64
                                 ? *static_cast<const std::int64_t*>(change.data)
                                 : -1;
            chaptersChanged();
            break;
        case KOsdHeight:
            osdHeight_ = change.format == MPV_FORMAT_INT64
                             ? *static_cast<const std::int64_t*>(change.data)
                             : 0;
            applySubtitleMargin();
            break;
        case KInterlaced:
            // Switched on once for the file: deinterlaced pictures are no
            // longer marked interlaced, and switching back would flicker.
            if (ours && change.format == MPV_FORMAT_FLAG && *static_cast<const int*>(change.data) &&
                deinterlace_ == Deinterlace::Automatic && !interlacedSeen_) {
                interlacedSeen_ = true;
                setFlag("deinterlace", true);
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

void MpvEngine::endedStream() {
    if (streamEnd_) {
        const mpv_event_end_file end = *std::exchange(streamEnd_, nullptr);
        fileEnded(end);
    }
}

void MpvEngine::nextReplied(const mpv_event& event) {
    // Appends are answered in the order they were sent.
    if (pendingAppends_.empty()) {
        return;
    }
    Upcoming appended = pendingAppends_.front();
    pendingAppends_.pop_front();
    if (appended.playlist != playlist_) {
        return; // mpv's playlist has been replaced since: the entry is gone
    }
    queuedNext_.reset();
    if (event.error < 0) {
        return;
    }
    const mpv_node& result = static_cast<const mpv_event_command*>(event.data)->result;
    if (result.format == MPV_FORMAT_NODE_MAP) {
        for (int i = 0; i < result.u.list->num; ++i) {
            if (qstrcmp(result.u.list->keys[i], "playlist_entry_id") == 0 &&
                result.u.list->values[i].format == MPV_FORMAT_INT64) {
                appended.entryId = result.u.list->values[i].u.int64;
                queuedNext_ = appended;
            }
        }
    }
}

void MpvEngine::fileEnded(const mpv_event_end_file& end) {
    if (entryId_ < 0 || end.playlist_entry_id != entryId_) {
        return; // the end of a file that was replaced
    }
    if (load_ == Load::Waiting) {
        notOpened(failureReason(end, true));
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
    if (end.reason == MPV_END_FILE_REASON_EOF && queuedNext_) {
        // mpv plays on into the file appended behind this one.
        movedToNext();
        return;
    }
    // Whatever was to follow is left behind: it is opened as any file now.
    next_.reset();
    queuedNext_.reset();
    // A stream that broke off reads as its end to mpv.
    const QString broken = IsStreamUrl(fileName_) && end.reason == MPV_END_FILE_REASON_EOF
                               ? streamFailure(streamLog_, false)
                               : QString();
    if (end.reason == MPV_END_FILE_REASON_EOF && broken.isEmpty()) {
        QMetaObject::invokeMethod(
            this, [this] { emit EndOfStream(0); }, Qt::QueuedConnection);
    } else if (end.reason == MPV_END_FILE_REASON_ERROR || !broken.isEmpty()) {
        fileName_.clear();
        const QString reason = broken.isEmpty() ? failureReason(end, false) : broken;
        QMetaObject::invokeMethod(
            this, [this, reason] { emit Failed(reason); }, Qt::QueuedConnection);
    }
}

void MpvEngine::movedToNext() {
    const Upcoming next = *std::exchange(queuedNext_, std::nullopt);
    next_.reset();
    resume_.reset();
    fileName_ = next.located;
    audioChoice_ = subtitleChoice_ = "auto";
    beginFile(next.located, next.segment);
    load_ = Load::Waiting;
    purpose_ = Purpose::Next;
    entryId_ = next.entryId;
    askedStart_ = 0;
    emit Loading();
    QMetaObject::invokeMethod(
        this, [this] { emit MovedToNext(); }, Qt::QueuedConnection);
}

void MpvEngine::notOpened(const QString& reason) {
    load_ = Load::None;
    entryId_ = -1;
    position_ = 0;
    duration_ = 0;
    if (purpose_ == Purpose::Open || purpose_ == Purpose::Next) {
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
            startLoading(previous->segment, Purpose::Resume, previous->position);
        } catch (const EngineError& error) {
            gone = error.Reason();
        }
    }
    if (fileName_.isEmpty()) {
        // Nothing else of that file (a playlist's entries) may play.
        next_.reset();
        queuedNext_.reset();
        ++playlist_;
        command({"stop"});
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

QString MpvEngine::failureReason(const mpv_event_end_file& end, bool opening) const {
    if (IsStreamUrl(fileName_)) {
        if (QString plain = streamFailure(streamLog_, opening); !plain.isEmpty()) {
            return plain;
        }
    }
    return reasonFor(end);
}

void MpvEngine::logged(const mpv_event& event) {
    const auto& message = *static_cast<const mpv_event_log_message*>(event.data);
    if (IsStreamUrl(fileName_) && qstrncmp(message.prefix, "ffmpeg", 6) == 0) {
        streamLog_ << QString::fromUtf8(message.prefix) + QStringLiteral(": ") +
                          QString::fromUtf8(message.text).trimmed();
        if (streamLog_.size() > kStreamLogLines) {
            streamLog_.removeFirst();
        }
    }
}

void MpvEngine::videoSizeReported() {
    const QSize size =
        videoWidth_ > 0 && videoHeight_ > 0 ? QSize(int(videoWidth_), int(videoHeight_)) : QSize();
    if (size != reportedSize_) {
        reportedSize_ = size;
        emit VideoSizeChanged(size);
    }
}

double MpvEngine::segmentLength(double fileLength) const {
    const double end = segment_.end > 0 ? std::min(segment_.end, fileLength) : fileLength;
    return fileLength > 0 ? std::max(0.0, end - segment_.start) : 0.0;
}

void MpvEngine::durationReported() {
    const double length = entryId_ >= 0 ? timeline_.Length(segmentLength(engineDuration_)) : 0.0;
    if (length != duration_) {
        duration_ = length;
        emit DurationChanged(duration_);
    }
}

void MpvEngine::chaptersReported(const mpv_event_property& change) {
    engineChapters_.clear();
    const auto* list =
        change.format == MPV_FORMAT_NODE ? static_cast<const mpv_node*>(change.data) : nullptr;
    for (int i = 0;
         list != nullptr && list->format == MPV_FORMAT_NODE_ARRAY && i < list->u.list->num; ++i) {
        const mpv_node& entry = list->u.list->values[i];
        if (entry.format != MPV_FORMAT_NODE_MAP) {
            continue;
        }
        std::pair<double, QString> chapter{0.0, QString()};
        for (int k = 0; k < entry.u.list->num; ++k) {
            const mpv_node& value = entry.u.list->values[k];
            if (qstrcmp(entry.u.list->keys[k], "time") == 0 && value.format == MPV_FORMAT_DOUBLE) {
                chapter.first = value.u.double_;
            } else if (qstrcmp(entry.u.list->keys[k], "title") == 0 &&
                       value.format == MPV_FORMAT_STRING) {
                chapter.second = QString::fromUtf8(value.u.string).trimmed();
            }
        }
        engineChapters_.push_back(chapter);
    }
    chaptersChanged();
}

void MpvEngine::chaptersChanged() {
    // The segment's chapters: those that play within it, on its time.
    std::vector<MediaChapter> chapters;
    int first = 0;
    const double end = segment_.end > 0 ? segment_.end : HUGE_VAL;
    for (std::size_t i = 0; i < engineChapters_.size(); ++i) {
        const double start = engineChapters_[i].first;
        const double next =
            i + 1 < engineChapters_.size() ? engineChapters_[i + 1].first : HUGE_VAL;
        if (start >= end) {
            break;
        }
        if (next <= segment_.start) {
            first = int(i) + 1; // over before the segment starts
            continue;
        }
        chapters.push_back({std::max(0.0, start - segment_.start), engineChapters_[i].second});
    }
    firstChapter_ = first;
    if (chapters != chapters_) {
        chapters_ = std::move(chapters);
        emit ChaptersChanged();
    }
    const std::int64_t index = engineChapter_ - first;
    const int current = index >= 0 && index < std::int64_t(chapters_.size()) ? int(index) : -1;
    if (current != currentChapter_) {
        currentChapter_ = current;
        emit ChapterChanged(current);
    }
}

void MpvEngine::beginFile(const QString& path, const MediaSegment& segment) {
    segment_ = segment;
    segment_.path = path;
    position_ = 0;
    duration_ = 0;
    engineDuration_ = 0;
    const bool stream = IsStreamUrl(path);
    loadBytes_ = stream ? 0 : double(platform::InspectFile(path).size);
    timeline_.Start(0, loadBytes_);
    // FFmpeg's words on a stream are read to tell why it fails. That a server
    // was reached at all FFmpeg tells only among its debugging messages:
    // those are read while the stream opens, its warnings as it plays.
    streamLog_.clear();
    mpv_request_log_messages(mpv_, stream ? "debug" : "no");
    engineChapters_.clear();
    engineChapter_ = -1;
    chaptersChanged();
    // The delays and the aspect ratio are the file's own.
    if (std::exchange(interlacedSeen_, false) && deinterlace_ == Deinterlace::Automatic) {
        setFlag("deinterlace", false);
    }
    if (subtitleDelay_ != 0 || audioDelay_ != 0 || aspectRatio_ != 0) {
        SetSubtitleDelay(0);
        SetAudioDelay(0);
        SetAspectRatio(0);
    }
}

void MpvEngine::startLoading(const MediaSegment& what, Purpose purpose, double startAt) {
    load_ = Load::Waiting;
    purpose_ = purpose;
    entryId_ = -1;
    stopped_ = false;
    if (purpose != Purpose::Resume) {
        paused_ = false;
    }
    setFlag("pause", paused_);
    // mpv's playlist is cleared by the load: nothing follows the file now.
    next_.reset();
    queuedNext_.reset();
    ++playlist_;
    beginFile(what.path, what);
    // A local file never leads to the network: no playlist, reference or
    // segment list in it is followed, and FFmpeg opens local files only.
    const bool stream = IsStreamUrl(what.path);
    askedStart_ = startAt;
    setText("access-references", stream ? "yes" : "no");
    setText("demuxer-lavf-o", stream ? "" : "protocol_whitelist=file");
    emit Loading();
    ++loadSerial_;
    // Options of this file alone: a track chosen in it is not carried to the next.
    command({"loadfile", fileTarget(what.path), "replace",
             entryOptions(segment_, audioChoice_, subtitleChoice_)},
            kLoadReply + loadSerial_);
}

void MpvEngine::preloaded(std::uint64_t hook) {
    // Only the file set last starts elsewhere than at its beginning, and only
    // where that leaves something of it to play: a position kept from an
    // earlier run at least 10 s before the end; the file that played before
    // a refused one anywhere before its end. Both are on the segment's time.
    double length = 0;
    const bool ours = load_ == Load::Waiting && entryId_ >= 0 && startedId_ == entryId_;
    const double start = ours && askedStart_ > 0 &&
                                 mpv_get_property(mpv_, "duration", MPV_FORMAT_DOUBLE, &length) >= 0
                             ? Timeline::PlayableStart(
                                   askedStart_, segmentLength(length),
                                   purpose_ == Purpose::Resume ? 0.0 : Timeline::kLeastLeftToPlay)
                             : 0;
    if (start > 0) {
        const QByteArray at = QByteArray::number(segment_.start + start, 'f', 3);
        mpv_set_property_string(mpv_, "file-local-options/start", at.constData());
        timeline_.Start(start, loadBytes_);
    }
    mpv_hook_continue(mpv_, hook);
}

void MpvEngine::SetFileName(const QString& path, double startAt) {
    OpenSegment(MediaSegment{path, 0, -1}, startAt);
}

void MpvEngine::OpenSegment(const MediaSegment& segment, double startAt) {
    if (segment.path.isEmpty()) {
        fileName_.clear();
        resume_.reset();
        next_.reset();
        queuedNext_.reset();
        ++playlist_;
        load_ = Load::None;
        entryId_ = -1;
        position_ = 0;
        duration_ = 0;
        command({"stop"});
        reportState();
        return;
    }
    // What mpv need not be asked about is refused before the open file is touched.
    const QString located = checkPlayableFile(segment.path);
    // Remembered so that a file mpv refuses does not cost the user what was
    // playing. While another file is still opening, what played before that
    // one stays the one to go back to.
    if (load_ == Load::Loaded) {
        resume_ = Resume{fileName_, segment_,     position_,      paused_,
                         stopped_,  audioChoice_, subtitleChoice_};
    } else if (load_ == Load::None || purpose_ == Purpose::Replay || purpose_ == Purpose::Next) {
        resume_.reset();
    }
    fileName_ = located;
    audioChoice_ = subtitleChoice_ = "auto";
    MediaSegment what = normalized(segment);
    what.path = located;
    startLoading(what, Purpose::Open, startAt);
    reportState();
}

void MpvEngine::SetNextFile(const MediaSegment& next) {
    const MediaSegment wanted = normalized(next);
    if (next_ && next_->segment == wanted) {
        return; // appended already
    }
    std::optional<Upcoming> upcoming;
    if (!wanted.path.isEmpty() && load_ != Load::None &&
        IsStreamUrl(wanted.path) == IsStreamUrl(fileName_)) {
        try {
            upcoming = Upcoming{wanted, checkPlayableFile(wanted.path), -1, playlist_};
        } catch (const EngineError&) {
            // Opened as any file once the open one ends, and refused then.
        }
    }
    if (!next_ && !upcoming) {
        return;
    }
    next_ = upcoming;
    command({"playlist-clear"}, kClearReply);
    if (upcoming) {
        MediaSegment part = upcoming->segment;
        part.path = upcoming->located;
        pendingAppends_.push_back(*upcoming);
        command({"loadfile", fileTarget(upcoming->located), "append",
                 entryOptions(part, "auto", "auto")},
                kNextReply);
    }
}

void MpvEngine::Play() {
    if (fileName_.isEmpty()) {
        return;
    }
    if (load_ == Load::None) {
        // The file played to its end: play it again from the start.
        startLoading(segment_, Purpose::Replay);
        reportState();
        return;
    }
    stopped_ = false;
    paused_ = false;
    setFlag("pause", false);
    reportState();
}

void MpvEngine::Pause() {
    paused_ = true;
    setFlag("pause", true);
    reportState();
}

void MpvEngine::Stop() {
    // Stopped means held at the start, ready to play again; the position reads 0.
    paused_ = true;
    setFlag("pause", true);
    if (load_ == Load::Loaded) {
        timeline_.Seek(0);
        command({"seek", QByteArray::number(timeline_.EngineTime(0) + segment_.start, 'f', 3),
                 "absolute+exact"});
    }
    stopped_ = true;
    reportState();
}

PlaybackState MpvEngine::State() const {
    if (load_ == Load::None) {
        return fileName_.isEmpty() ? PlaybackState::Stopped : PlaybackState::Ended;
    }
    if (stopped_) {
        return PlaybackState::Stopped;
    }
    if (paused_) {
        return PlaybackState::Paused;
    }
    // A next file read ahead plays on at once: no opening is seen.
    return load_ == Load::Waiting && purpose_ != Purpose::Next ? PlaybackState::Opening
                                                               : PlaybackState::Playing;
}

void MpvEngine::reportState() {
    if (const PlaybackState state = State(); state != reportedState_) {
        reportedState_ = state;
        emit StateChanged(state);
    }
}

double MpvEngine::CurrentPosition() const {
    return stopped_ ? 0.0 : position_;
}

void MpvEngine::SetCurrentPosition(double seconds) {
    if (load_ != Load::Loaded) {
        return;
    }
    timeline_.Seek(seconds);
    command({"seek", QByteArray::number(timeline_.EngineTime(seconds) + segment_.start, 'f', 3),
             "absolute"});
    position_ = seconds;
}

double MpvEngine::Duration() const {
    return duration_;
}

QString MpvEngine::PropertyText(const char* name) const {
    char* text = mpv_get_property_string(mpv_, name);
    const QString value = QString::fromUtf8(text);
    mpv_free(text);
    return value;
}

void MpvEngine::SetChapter(int index) {
    if (load_ == Load::Loaded && index >= 0 && index < int(chapters_.size())) {
        SetCurrentPosition(chapters_[std::size_t(index)].start);
    }
}

void MpvEngine::setNumber(const char* name, double value) {
    mpv_set_property_async(mpv_, 0, name, MPV_FORMAT_DOUBLE, &value);
}

void MpvEngine::setInteger(const char* name, std::int64_t value) {
    mpv_set_property_async(mpv_, 0, name, MPV_FORMAT_INT64, &value);
}

void MpvEngine::SetSubtitleDelay(double seconds) {
    if (std::isfinite(seconds) && seconds != subtitleDelay_) {
        subtitleDelay_ = std::clamp(seconds, -kLongestDelay, kLongestDelay);
        setNumber("sub-delay", subtitleDelay_);
        emit AdjustmentsChanged();
    }
}

void MpvEngine::SetAudioDelay(double seconds) {
    if (std::isfinite(seconds) && seconds != audioDelay_) {
        audioDelay_ = std::clamp(seconds, -kLongestDelay, kLongestDelay);
        setNumber("audio-delay", audioDelay_);
        emit AdjustmentsChanged();
    }
}

void MpvEngine::SetSubtitleScale(double factor) {
    if (std::isfinite(factor) && factor != subtitleScale_) {
        subtitleScale_ = std::clamp(factor, 0.5, 3.0);
        setNumber("sub-scale", subtitleScale_);
        emit AdjustmentsChanged();
    }
}

void MpvEngine::SetSubtitlePosition(int percent) {
    if (percent != subtitlePosition_) {
        subtitlePosition_ = std::clamp(percent, 0, 150);
        applySubtitleMargin();
        emit AdjustmentsChanged();
    }
}

void MpvEngine::SetSubtitleMargin(int pixels) {
    if (pixels != subtitleMargin_) {
        subtitleMargin_ = std::clamp(pixels, 0, kMostMargin);
        applySubtitleMargin();
        emit AdjustmentsChanged();
    }
}

void MpvEngine::applySubtitleMargin() {
    // The room kept free is taken off the subtitles' place: mpv shows a new
    // sub-pos at once, a new sub-margin-y only once it lays the subtitles
    // out afresh (a paused picture would keep them where they were).
    const double raised = osdHeight_ > 0 ? 100.0 * subtitleMargin_ / double(osdHeight_) : 0;
    setInteger("sub-pos", std::clamp(std::lround(subtitlePosition_ - raised), 0L, 150L));
}

void MpvEngine::SetAspectRatio(double ratio) {
    const double wanted = std::isfinite(ratio) && ratio > 0 ? std::clamp(ratio, 0.1, 10.0) : 0.0;
    if (wanted != aspectRatio_) {
        aspectRatio_ = wanted;
        // mpv's -1 is the file's own ratio (its 0 would be square pixels).
        setNumber("video-aspect-override", wanted > 0 ? wanted : -1.0);
        emit AdjustmentsChanged();
    }
}

void MpvEngine::SetDeinterlace(Deinterlace mode) {
    if (mode != deinterlace_) {
        deinterlace_ = mode;
        setFlag("deinterlace",
                mode == Deinterlace::On || (mode == Deinterlace::Automatic && interlacedSeen_));
        emit AdjustmentsChanged();
    }
}

int MpvEngine::Adjustment(PictureAdjustment which) const {
    return adjustments_[int(which)];
}

void MpvEngine::SetAdjustment(PictureAdjustment which, int value) {
    int& current = adjustments_[int(which)];
    if (value != current) {
        current = std::clamp(value, -100, 100);
        setInteger(kAdjustmentNames[int(which)], current);
        emit AdjustmentsChanged();
    }
}

void MpvEngine::SetReplayGain(ReplayGain mode) {
    if (mode != replayGain_) {
        replayGain_ = mode;
        setText("replaygain", kReplayGainNames[int(mode)]);
        emit AdjustmentsChanged();
    }
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
