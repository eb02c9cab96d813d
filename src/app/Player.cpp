#include "app/Player.h"

#include "common/Twips.h"
#include "effects/Melter.h"
#include "forms/Designs.h"
#include "platform/Desktop.h"
#include "platform/FileNames.h"
#include "player/MediaTypes.h"
#include "player/Readout.h"

#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScreen>
#include <QTimer>
#include <algorithm>

namespace quarn {

namespace {

// The intro's engine is let go this long after the intro, once the player's
// windows have come up.
constexpr int kIntroReleaseMs = 1000;
// Volume and mute are written this long after their last change.
constexpr int kSettingsDelayMs = 500;

// The files and streams of a drop: local files by their paths, http(s) URLs.
QStringList droppedEntries(const QMimeData* data) {
    QStringList entries;
    if (data == nullptr) {
        return entries;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            entries << url.toLocalFile();
        } else if (url.scheme() == QLatin1String("http") ||
                   url.scheme() == QLatin1String("https")) {
            entries << url.toString();
        }
    }
    return entries;
}

} // namespace

Player::Player(PlayerServices services)
    : services_(std::move(services)), engine_(services_.makeEngine(main_.VideoWindow())),
      tray_(loadIcon(QString::fromLatin1(design::kProgramIcon)),
            QStringLiteral("Quarn Media Player")) {
    fileDialog_.SetBackend(std::move(services_.fileDialogs));
    fileDialog_.SetDefaultExt(QStringLiteral("1"));

    // The companions keep their places beside the main window.
    connect(&main_, &MainWindow::geometryChanged, &title_, &DockedWindow::FollowMain);
    connect(&main_, &MainWindow::geometryChanged, &bar_, &DockedWindow::FollowMain);
    dockCompanions();
    connect(&main_, &MainWindow::seekRequested, this, &Player::SeekTo);
    connect(&main_, &MainWindow::speedRequested, engine_.get(), &MediaEngine::SetSpeed);
    connect(&main_, &MainWindow::closeRequested, this, &Player::Exit);
    connect(&main_, &MainWindow::volumeStepRequested, this,
            [this](int notches) { ChangeVolume(notches * 5); });
    connect(&main_, &MainWindow::seekByRequested, this, &Player::SeekBy);
    connect(&main_, &MainWindow::fullScreenToggleRequested, this, &Player::ToggleFullScreen);
    connect(&main_, &MainWindow::fullScreenChanged, this, [this](bool on) {
        // The companions step aside once the video covers the screen, and
        // come back once the window is back in its place.
        title_.setVisible(!on);
        bar_.setVisible(!on);
    });

    connect(&bar_, &Toolbar::playClicked, this, &Player::Play);
    connect(&bar_, &Toolbar::pauseClicked, this, &Player::Pause);
    connect(&bar_, &Toolbar::stopClicked, this, &Player::Stop);
    connect(&bar_, &Toolbar::openClicked, this, &Player::Open);
    connect(&bar_, &Toolbar::effectsClicked, this, [this](QPoint at) { Effects().Popup(at); });
    connect(&bar_, &Toolbar::exitClicked, this, &Player::Exit);

    connect(engine_.get(), &MediaEngine::Loading, &main_, &MainWindow::ShowDisplay);
    connect(engine_.get(), &MediaEngine::Opened, this, &Player::fileOpened);
    connect(engine_.get(), &MediaEngine::Refused, this, &Player::refused);
    connect(engine_.get(), &MediaEngine::EndOfStream, this, &Player::ended);
    connect(engine_.get(), &MediaEngine::Failed, this, &Player::failed);
    connect(engine_.get(), &MediaEngine::PositionChanged, this, &Player::updateReadout);
    connect(engine_.get(), &MediaEngine::DurationChanged, this, &Player::updateReadout);
    connect(engine_.get(), &MediaEngine::VideoSizeChanged, &main_, &MainWindow::ShowVideo);
    connect(engine_.get(), &MediaEngine::TagsChanged, this, &Player::playbackChanged);
    connect(engine_.get(), &MediaEngine::DurationChanged, this, &Player::playbackChanged);

    connect(&tray_, &TrayIcon::restoreRequested, this, &Player::restoreMain);
    // Without a tray host the main window is found in the taskbar instead.
    platform::SetSkipTaskbar(main_, trayHost_.Present());
    connect(&trayHost_, &platform::TrayHostWatch::changed, this,
            [this](bool present) { platform::SetSkipTaskbar(main_, present); });

    // Keys work, and files may be dropped, on each of the player's windows.
    qApp->installEventFilter(this);
    for (QWidget* window : std::initializer_list<QWidget*>{&main_, &title_, &bar_}) {
        window->setAcceptDrops(true);
    }

    if (!services_.settingsPath.isEmpty()) {
        settings_ = LoadSettings(services_.settingsPath);
    }
    engine_->SetVolume(settings_.volume);
    engine_->SetMuted(settings_.muted);
    saveSettings_.setSingleShot(true);
    saveSettings_.setInterval(kSettingsDelayMs);
    connect(&saveSettings_, &QTimer::timeout, this, &Player::saveSettings);
}

void Player::saveSettings() {
    saveSettings_.stop();
    if (!services_.settingsPath.isEmpty()) {
        SaveSettings(services_.settingsPath, settings_);
    }
}

Player::~Player() {
    qApp->removeEventFilter(this);
    if (saveSettings_.isActive()) {
        saveSettings();
    }
}

void Player::Start(const QStringList& files) {
    tray_.Show();
    if (!files.isEmpty()) {
        showPlayer(false);
        PlayFiles(files);
        return;
    }
    main_.CenterForm(splash_);
    intro_ = services_.makeEngine(0);
    connect(intro_.get(), &MediaEngine::EndOfStream, this, [this] { showPlayer(true); });
    // Without its intro the splash goes straight on to the player.
    connect(intro_.get(), &MediaEngine::Refused, this, [this] { showPlayer(false); });
    connect(intro_.get(), &MediaEngine::Failed, this, [this] { showPlayer(false); });
    connect(&splash_, &Splash::skipped, this, [this] {
        if (intro_) {
            intro_->Stop();
        }
        showPlayer(false);
    });
    try {
        intro_->SetFileName(QDir(services_.programDirectory).filePath(QStringLiteral("intro.mp3")));
    } catch (const EngineError&) {
        showPlayer(false);
        return;
    }
    splash_.show();
}

void Player::showPlayer(bool afterIntro) {
    if (playerShown_) {
        return;
    }
    playerShown_ = true;
    splash_.hide();
    main_.show();
    title_.show();
    bar_.show();
    if (afterIntro) {
        // At the intro's end the title strip first stands centred 800 twips
        // above the main window, and then goes to its place.
        const QRect screen = main_.screen()->geometry();
        const TwipsPoint at{pixelsToTwips(screen.width()) / 2 - pixelsToTwips(title_.width()) / 2,
                            pixelsToTwips(main_.y()) - 800};
        title_.move(screen.left() + twipsToPixels(at.left), twipsToPixels(at.top));
    }
    platform::ActivateWindowByTitle(main_.windowTitle());
    // The intro's engine has done its work.
    QTimer::singleShot(kIntroReleaseMs, this, [this] { intro_.reset(); });
}

void Player::dockCompanions() {
    title_.FollowMain(main_.geometry());
    bar_.FollowMain(main_.geometry());
}

void Player::PlayFiles(const QStringList& files) {
    // Files that come while the intro plays end it.
    if (!playerShown_ && !files.isEmpty()) {
        if (intro_) {
            intro_->Stop();
        }
        showPlayer(false);
    }
    queue_.Replace(ExpandEntries(files));
    if (const auto first = queue_.Current()) {
        openEntry(*first);
    } else if (!files.isEmpty()) {
        refused(EngineError::kCannotPlay, QStringLiteral("No media files were found there."));
    }
}

void Player::openEntry(const QString& entry) {
    fromQueue_ = true;
    OpenPath(entry);
}

void Player::Open() {
    // A second Open while the dialog is up brings that one to the front.
    if (fileDialog_.RaiseDialog()) {
        return;
    }
    fileDialog_.SetFilter(MediaFilter());
    fileDialog_.ShowOpen();
    // Keys go to the player again once the dialog has gone.
    platform::ActivateWindowByTitle(main_.windowTitle());
    // The companions join the main window first.
    dockCompanions();
    fromQueue_ = false;
    OpenPath(fileDialog_.FileName());
}

void Player::OpenPath(const QString& path) {
    if (path.isEmpty()) {
        return; // cancelled: whatever plays goes on as it was
    }
    try {
        engine_->SetFileName(path);
    } catch (const EngineError& error) {
        refused(error.code(), error.reason());
    }
}

void Player::fileOpened() {
    // A file chosen in the Open dialog is the queue from now on.
    if (queue_.Current() != engine_->FileName()) {
        queue_.Replace({engine_->FileName()});
    }
    main_.ShowOpened();
    title_.ShowTitle(SongTitle(GetFileName(platform::ReadableFileName(engine_->FileName()))));
    services_.screenSaver->SetActive(false);
    ++track_;
    emit playbackChanged();
}

void Player::refused(int code, const QString& reason) {
    if (code == EngineError::kCannotPlay) {
        reportUnplayable(reason);
    } else {
        services_.message(QString::number(code), QString::fromLatin1(design::kApplicationTitle),
                          reason);
    }
    // A file of the queue that cannot be played is passed over.
    if (fromQueue_ && queue_.HasNext()) {
        openEntry(*queue_.Next());
    }
    emit playbackChanged();
}

void Player::ended() {
    // The queue goes on; only after its last file is the player reset.
    if (queue_.HasNext()) {
        openEntry(*queue_.Next());
        return;
    }
    main_.ShowEnded();
    title_.ClearTitle();
    // Nothing plays any more: the screen saver may come back.
    services_.screenSaver->SetActive(true);
    emit playbackChanged();
}

void Player::failed(const QString& reason) {
    reportUnplayable(reason);
    ended();
}

void Player::reportUnplayable(const QString& reason) {
    services_.message(QStringLiteral("Movie is invalid or you need a codec"),
                      QStringLiteral("Playback Error"), reason);
}

void Player::updateReadout() {
    if (const auto readout = PlaybackReadout(engine_->CurrentPosition(), engine_->Duration())) {
        bar_.ShowTime(readout->caption);
        main_.ShowReadout(*readout);
    }
}

void Player::Play() {
    if (engine_->FileName().isEmpty()) {
        return;
    }
    engine_->Play();
    services_.screenSaver->SetActive(false);
    emit playbackChanged();
}

void Player::Pause() {
    if (!engine_->FileName().isEmpty()) {
        engine_->Pause();
        emit playbackChanged();
    }
}

void Player::Stop() {
    engine_->Stop();
    services_.screenSaver->SetActive(true);
    emit playbackChanged();
}

void Player::Exit() {
    tray_.Remove();
    // The program ends at once: no window's close handling runs. The engine
    // and the screen-saver hold are let go as the program winds down.
    QCoreApplication::exit(0);
}

void Player::PlayPause() {
    if (engine_->Playing()) {
        Pause();
    } else {
        Play();
    }
}

void Player::Next() {
    if (const auto entry = queue_.Next()) {
        openEntry(*entry);
        emit playbackChanged();
    }
}

void Player::Previous() {
    if (const auto entry = queue_.Previous()) {
        openEntry(*entry);
        emit playbackChanged();
    }
}

void Player::SeekBy(int seconds) {
    SeekTo(engine_->CurrentPosition() + seconds);
}

void Player::SeekTo(double seconds) {
    if (engine_->FileName().isEmpty()) {
        return;
    }
    double to = std::max(0.0, seconds);
    if (engine_->Duration() > 0) {
        to = std::min(to, engine_->Duration());
    }
    engine_->SetCurrentPosition(to);
    emit seeked(to);
}

void Player::ChangeVolume(int points) {
    SetVolume(engine_->Volume() + points);
}

void Player::SetVolume(int volume) {
    engine_->SetVolume(std::clamp(volume, 0, 100));
    showVolume();
}

Player::Status Player::PlaybackStatus() const {
    if (engine_->Playing()) {
        return Status::Playing;
    }
    return engine_->Stopped() ? Status::Stopped : Status::Paused;
}

void Player::Raise() {
    if (main_.isMinimized()) {
        main_.setWindowState(main_.windowState() & ~Qt::WindowMinimized);
    }
    platform::ActivateWindowByTitle(main_.windowTitle());
}

void Player::ToggleMute() {
    engine_->SetMuted(!engine_->Muted());
    showVolume();
}

void Player::showVolume() {
    bar_.ShowNotice(engine_->Muted() ? QStringLiteral("Muted")
                                     : QStringLiteral("Vol %1%").arg(engine_->Volume()));
    remember();
}

void Player::remember() {
    settings_ = {engine_->Volume(), engine_->Muted()};
    saveSettings_.start();
    emit volumeChanged();
}

void Player::ToggleFullScreen() {
    main_.SetFullScreen(!main_.FullScreen());
}

void Player::Do(const KeyAction& action) {
    using Kind = KeyAction::Kind;
    switch (action.kind) {
    case Kind::PlayPause:
        PlayPause();
        break;
    case Kind::Play:
        Play();
        break;
    case Kind::Pause:
        Pause();
        break;
    case Kind::Stop:
        Stop();
        break;
    case Kind::Seek:
        SeekBy(action.amount);
        break;
    case Kind::Volume:
        ChangeVolume(action.amount);
        break;
    case Kind::Mute:
        ToggleMute();
        break;
    case Kind::FullScreen:
        ToggleFullScreen();
        break;
    case Kind::LeaveFullScreen:
        main_.SetFullScreen(false);
        break;
    case Kind::Open:
        Open();
        break;
    case Kind::Next:
        Next();
        break;
    case Kind::Previous:
        Previous();
        break;
    case Kind::Zoom:
        main_.SetZoom(action.amount);
        break;
    }
}

bool Player::isPlayerWindow(const QObject* object) const {
    const auto* widget = qobject_cast<const QWidget*>(object);
    if (widget == nullptr) {
        return false;
    }
    const QWidget* window = widget->window();
    return window == &main_ || window == &title_ || window == &bar_;
}

bool Player::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
        if (isPlayerWindow(watched)) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (const auto action = ActionForKey(key->key(), key->modifiers())) {
                Do(*action);
                return true;
            }
        }
        break;
    case QEvent::DragEnter:
    case QEvent::DragMove:
        if (isPlayerWindow(watched)) {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (!droppedEntries(drag->mimeData()).isEmpty()) {
                drag->acceptProposedAction();
                return true;
            }
        }
        break;
    case QEvent::Drop:
        if (isPlayerWindow(watched)) {
            auto* drop = static_cast<QDropEvent*>(event);
            const QStringList entries = droppedEntries(drop->mimeData());
            if (!entries.isEmpty()) {
                drop->acceptProposedAction();
                PlayFiles(entries);
                return true;
            }
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void Player::restoreMain() {
    main_.CenterForm(main_);
    Raise();
}

EffectsMenu& Player::Effects() {
    if (!effects_) {
        effects_ = std::make_unique<EffectsMenu>();
        // The effects are extras: whatever goes wrong there, the player goes on.
        connect(effects_.get(), &EffectsMenu::meltChosen, this, [] {
            try {
                Melter::Run();
            } catch (...) {
            }
        });
        connect(effects_.get(), &EffectsMenu::aboutChosen, this, [this] {
            try {
                ShowAbout();
            } catch (...) {
            }
        });
    }
    return *effects_;
}

void Player::ShowAbout() {
    if (!about_) {
        about_ = std::make_unique<AboutBox>(services_.programDirectory);
    }
    about_->show();
    about_->raise();
}

} // namespace quarn
