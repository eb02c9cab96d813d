#include "app/Player.h"

#include "common/Twips.h"
#include "effects/Melter.h"
#include "forms/Designs.h"
#include "platform/Desktop.h"
#include "player/Readout.h"

#include <QCoreApplication>
#include <QDir>
#include <QScreen>
#include <QTimer>

namespace quarn {

namespace {

// The Open dialog's types: the engine's media files first.
constexpr const char* kMediaFilter = "Media Files |*.mp*;*.avi;*.asf;*.wmv|All Files (*.*)|*.*|";
// The intro's engine is let go this long after the intro, once the player's
// windows have come up.
constexpr int kIntroReleaseMs = 1000;

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
    connect(&main_, &MainWindow::seekRequested, engine_.get(),
            [this](int seconds) { engine_->SetCurrentPosition(seconds); });
    connect(&main_, &MainWindow::speedRequested, engine_.get(), &MediaEngine::SetSpeed);
    connect(&main_, &MainWindow::closeRequested, this, &Player::Exit);

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

    connect(&tray_, &TrayIcon::restoreRequested, this, &Player::restoreMain);
}

Player::~Player() = default;

void Player::Start(const QStringList& files) {
    tray_.Show();
    if (!files.isEmpty()) {
        showPlayer(false);
        OpenPath(files.first());
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

void Player::Open() {
    fileDialog_.SetFilter(QString::fromLatin1(kMediaFilter));
    fileDialog_.ShowOpen();
    // The companions join the main window first.
    dockCompanions();
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
    main_.ShowOpened();
    title_.ShowTitle(SongTitle(GetFileName(engine_->FileName())));
    services_.screenSaver->SetActive(false);
}

void Player::refused(int code, const QString& reason) {
    if (code == EngineError::kCannotPlay) {
        services_.message(QStringLiteral("Movie is invalid or you need a codec"),
                          QStringLiteral("Playback Error"), reason);
    } else {
        services_.message(QString::number(code), QString::fromLatin1(design::kApplicationTitle),
                          reason);
    }
}

void Player::ended() {
    main_.ShowEnded();
    title_.ClearTitle();
    // Nothing plays any more: the screen saver may come back.
    services_.screenSaver->SetActive(true);
}

void Player::failed(const QString& reason) {
    refused(EngineError::kCannotPlay, reason);
    ended();
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
}

void Player::Pause() {
    if (!engine_->FileName().isEmpty()) {
        engine_->Pause();
    }
}

void Player::Stop() {
    engine_->Stop();
    services_.screenSaver->SetActive(true);
}

void Player::Exit() {
    tray_.Remove();
    // The program ends at once: no window's close handling runs. The engine
    // and the screen-saver hold are let go as the program winds down.
    QCoreApplication::exit(0);
}

void Player::restoreMain() {
    if (main_.isMinimized()) {
        main_.setWindowState(main_.windowState() & ~Qt::WindowMinimized);
    }
    main_.CenterForm(main_);
    platform::ActivateWindowByTitle(main_.windowTitle());
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
