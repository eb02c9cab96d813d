#include "player/MpvEngine.h"

#include "common/Twips.h"
#include "player/MainWindowLogic.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <clocale>
#include <mpv/client.h>
#include <optional>
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

// Video outputs: the GPU renderer where there is a real GPU (mpv refuses
// software GL by itself), otherwise X11 outputs that scale in software and, like
// the GPU renderer, draw into an embedded window.
#if defined(Q_OS_LINUX) || defined(Q_OS_FREEBSD)
constexpr const char* kVideoOutputs = "gpu,xv,x11";
#else
constexpr const char* kVideoOutputs = "gpu";
#endif

void setOption(mpv_handle* mpv, const QByteArray& name, const QByteArray& value) {
    // Unknown options (an older or newer mpv) are not fatal; the player runs without them.
    mpv_set_option_string(mpv, name.constData(), value.constData());
}

// A local path is handed to mpv as a file URL, so that no part of a file's
// name can be taken for an option, a protocol or a playlist command.
QByteArray fileTarget(const QString& path) {
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded(QUrl::FullyEncoded);
}

// Refuses what mpv must never be given, with a reason the user understands.
void checkPlayableFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) {
        throw EngineError(EngineError::kCannotPlay, QStringLiteral("The file does not exist."));
    }
    if (info.isDir()) {
        throw EngineError(EngineError::kCannotPlay,
                          QStringLiteral("This is a folder, not a media file."));
    }
    if (!info.isReadable()) {
        throw EngineError(EngineError::kCannotPlay, QStringLiteral("The file cannot be read."));
    }
    if (info.size() == 0) {
        throw EngineError(EngineError::kCannotPlay, QStringLiteral("The file is empty."));
    }
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

} // namespace

MpvEngine::MpvEngine(QWidget* display, const MpvOptions& extraOptions, QObject* parent)
    : MediaEngine(parent), display_(display) {
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
    setOption(mpv_, "ao", kAudioOutputs);
    setOption(mpv_, "vo", kVideoOutputs);
    if (display_ != nullptr) {
        display_->setAttribute(Qt::WA_NativeWindow);
        display_->setAttribute(Qt::WA_DontCreateNativeAncestors);
        const auto wid = static_cast<int64_t>(display_->winId());
        mpv_set_option(mpv_, "wid", MPV_FORMAT_INT64, const_cast<int64_t*>(&wid));
        widthTwips_ = pixelsToTwips(display_->width());
        heightTwips_ = pixelsToTwips(display_->height());
    } else {
        setOption(mpv_, "vid", "no");
        setOption(mpv_, "vo", "null");
    }
    for (const auto& [name, value] : extraOptions) {
        setOption(mpv_, name.toUtf8(), value.toUtf8());
    }
    if (mpv_initialize(mpv_) < 0) {
        mpv_terminate_destroy(mpv_);
        mpv_ = nullptr;
        throw EngineError(EngineError::kCannotPlay, QStringLiteral("mpv could not be started."));
    }
    mpv_observe_property(mpv_, 1, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_observe_property(mpv_, 2, "duration", MPV_FORMAT_DOUBLE);
    mpv_set_wakeup_callback(
        mpv_, [](void* self) { static_cast<MpvEngine*>(self)->scheduleDrain(); }, this);
}

MpvEngine::~MpvEngine() {
    if (mpv_ == nullptr) {
        return;
    }
    mpv_set_wakeup_callback(mpv_, nullptr, nullptr);
    // Fade the sound out over a few milliseconds so that it does not end in a click.
    int paused = 1;
    mpv_get_property(mpv_, "pause", MPV_FORMAT_FLAG, &paused);
    if (load_ == Load::Loaded && paused == 0) {
        double volume = 100;
        mpv_get_property(mpv_, "volume", MPV_FORMAT_DOUBLE, &volume);
        for (int step = 4; step >= 0; --step) {
            double v = volume * step / 5;
            mpv_set_property(mpv_, "volume", MPV_FORMAT_DOUBLE, &v);
            QThread::msleep(8);
        }
    }
    mpv_terminate_destroy(mpv_);
}

void MpvEngine::command(std::initializer_list<QByteArray> args) {
    std::vector<const char*> argv;
    argv.reserve(args.size() + 1);
    for (const auto& a : args) {
        argv.push_back(a.constData());
    }
    argv.push_back(nullptr);
    mpv_command(mpv_, argv.data());
}

void MpvEngine::setFlag(const char* name, bool value) {
    int flag = value ? 1 : 0;
    mpv_set_property(mpv_, name, MPV_FORMAT_FLAG, &flag);
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
    if (waitLoop_ != nullptr && load_ != Load::Waiting) {
        waitLoop_->quit();
    }
}

void MpvEngine::handleEvent(const mpv_event& event) {
    switch (event.event_id) {
    case MPV_EVENT_START_FILE: {
        const auto* start = static_cast<const mpv_event_start_file*>(event.data);
        if (load_ == Load::Waiting && !sawStart_) {
            sawStart_ = true;
            entryId_ = start->playlist_entry_id;
        }
        break;
    }
    case MPV_EVENT_FILE_LOADED:
        if (load_ == Load::Waiting && sawStart_) {
            load_ = Load::Loaded;
            // The length is known now; read it at once rather than wait for
            // its change to be reported, so that it is there when the open returns.
            double duration = 0;
            if (mpv_get_property(mpv_, "duration", MPV_FORMAT_DOUBLE, &duration) >= 0) {
                duration_ = duration;
            }
        }
        break;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        if (end->playlist_entry_id != entryId_ || !sawStart_) {
            break; // the end of a file that was replaced
        }
        if (load_ == Load::Waiting) {
            load_ = Load::Failed;
            if (end->reason == MPV_END_FILE_REASON_ERROR) {
                failure_ = asSentence(QString::fromUtf8(mpv_error_string(end->error)));
            } else if (end->reason == MPV_END_FILE_REASON_REDIRECT) {
                failure_ = QStringLiteral("Playlists are not played.");
            } else {
                failure_ = QStringLiteral("No audio or video was found.");
            }
            break;
        }
        const bool natural = load_ == Load::Loaded && end->reason == MPV_END_FILE_REASON_EOF;
        load_ = Load::None;
        entryId_ = -1;
        position_ = 0;
        duration_ = 0;
        if (natural) {
            emit EndOfStream(0);
        }
        break;
    }
    case MPV_EVENT_VIDEO_RECONFIG:
        adoptVideoSize();
        break;
    case MPV_EVENT_PROPERTY_CHANGE: {
        const auto* prop = static_cast<const mpv_event_property*>(event.data);
        const double value =
            prop->format == MPV_FORMAT_DOUBLE ? *static_cast<const double*>(prop->data) : 0.0;
        if (event.reply_userdata == 1) {
            position_ = value;
        } else if (event.reply_userdata == 2) {
            duration_ = value;
        }
        break;
    }
    default:
        break;
    }
}

void MpvEngine::adoptVideoSize() {
    if (display_ == nullptr) {
        return;
    }
    int64_t w = 0;
    int64_t h = 0;
    if (mpv_get_property(mpv_, "dwidth", MPV_FORMAT_INT64, &w) < 0 ||
        mpv_get_property(mpv_, "dheight", MPV_FORMAT_INT64, &h) < 0 || w <= 0 || h <= 0) {
        return; // no video: the display keeps its size
    }
    QSize available(1 << 15, 1 << 15);
    if (const QScreen* screen = display_->screen()) {
        available = screen->availableGeometry().size();
    }
    const QSize fitted = FitVideoToScreen(QSize(int(w), int(h)), available);
    SetWidth(pixelsToTwips(fitted.width()));
    SetHeight(pixelsToTwips(fitted.height()));
}

void MpvEngine::startLoading(const QString& target, const QByteArray& fileOptions) {
    load_ = Load::Waiting;
    sawStart_ = false;
    entryId_ = -1;
    failure_.clear();
    position_ = 0;
    duration_ = 0;
    stopped_ = false;
    setFlag("pause", false);
    if (fileOptions.isEmpty()) {
        command({"loadfile", target.toUtf8(), "replace"});
    } else {
        command({"loadfile", target.toUtf8(), "replace", fileOptions});
    }
}

void MpvEngine::SetFileName(const QString& path) {
    if (path.isEmpty()) {
        fileName_.clear();
        command({"stop"});
        load_ = Load::None;
        position_ = 0;
        duration_ = 0;
        return;
    }
    // What mpv need not be asked about is refused before the open file is touched.
    checkPlayableFile(path);

    // Remembered so that a file mpv refuses does not cost the user what was playing.
    struct Previous {
        QString path;
        double position = 0;
        bool paused = false;
        bool stopped = false;
    };
    std::optional<Previous> previous;
    if (load_ == Load::Loaded) {
        int paused = 0;
        mpv_get_property(mpv_, "pause", MPV_FORMAT_FLAG, &paused);
        previous = Previous{fileName_, position_, paused != 0, stopped_};
    }

    fileName_ = path;
    SetVisible(true);
    startLoading(QString::fromUtf8(fileTarget(path)));

    // Wait for mpv's answer, keeping the windows painted and the timers running;
    // the user's input waits until the file has opened.
    drainEvents();
    if (load_ == Load::Waiting) {
        QEventLoop loop;
        QTimer::singleShot(kOpenTimeoutMs, &loop, &QEventLoop::quit);
        waitLoop_ = &loop;
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        waitLoop_ = nullptr;
    }
    if (load_ == Load::Loaded) {
        return;
    }
    const QString reason =
        load_ == Load::Waiting ? QStringLiteral("The file did not open in time.") : failure_;
    command({"stop"});
    load_ = Load::None;
    fileName_.clear();
    if (previous) {
        fileName_ = previous->path;
        startLoading(QString::fromUtf8(fileTarget(previous->path)),
                     QByteArray("start=") + QByteArray::number(previous->position, 'f', 3));
        setFlag("pause", previous->paused);
        stopped_ = previous->stopped;
    }
    throw EngineError(EngineError::kCannotPlay, reason);
}

void MpvEngine::Play() {
    if (fileName_.isEmpty()) {
        return;
    }
    if (load_ == Load::None || load_ == Load::Failed) {
        // The file played to its end (or could not be opened again): play it from the start.
        startLoading(QString::fromUtf8(fileTarget(fileName_)));
        return;
    }
    stopped_ = false;
    setFlag("pause", false);
}

void MpvEngine::Pause() {
    setFlag("pause", true);
}

void MpvEngine::Stop() {
    // Stopped means held at the start, ready to play again; the position reads 0.
    setFlag("pause", true);
    if (load_ == Load::Loaded) {
        command({"seek", "0", "absolute+exact"});
    }
    stopped_ = true;
}

double MpvEngine::CurrentPosition() const {
    return stopped_ ? 0.0 : position_;
}

void MpvEngine::SetCurrentPosition(double seconds) {
    if (load_ != Load::Loaded) {
        return;
    }
    command({"seek", QByteArray::number(seconds, 'f', 3), "absolute"});
    position_ = seconds;
}

double MpvEngine::Duration() const {
    return duration_;
}

void MpvEngine::SetWidth(double twips) {
    widthTwips_ = twips;
    if (display_ != nullptr) {
        display_->resize(twipsToPixels(twips), display_->height());
    }
}

void MpvEngine::SetHeight(double twips) {
    heightTwips_ = twips;
    if (display_ != nullptr) {
        display_->resize(display_->width(), twipsToPixels(twips));
    }
}

void MpvEngine::SetVisible(bool visible) {
    if (display_ != nullptr) {
        display_->setVisible(visible);
    }
}

void MpvEngine::SetSpeed(double factor) {
    mpv_set_property(mpv_, "speed", MPV_FORMAT_DOUBLE, &factor);
}

} // namespace quarn
