#include "app/Player.h"

#include "common/Designs.h"
#include "common/FileTitles.h"
#include "common/Layout.h"
#include "common/MediaTypes.h"
#include "common/Rounding.h"
#include "common/StreamUrl.h"
#include "platform/Desktop.h"
#include "platform/FileNames.h"
#include "platform/Taskbar.h"
#include "session/Settings.h"
#include "widgets/MessageBox.h"
#include "widgets/Pictures.h"
#include "widgets/SkinCatalog.h"
#include "widgets/SkinStyles.h"
#include "widgets/WindowLook.h"
#include "windows/Melter.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <exception>

namespace quarn {

namespace {

// The intro's engine is let go this long after the intro, once the player's
// windows have come up.
constexpr int kIntroReleaseMs = 1000;
// Notices longer than this go to the title strip, where they can be read.
constexpr qsizetype kLongestTimeNotice = 14;
// Requests to play that come this close together are one: the last.
constexpr int kRequestGatherMs = 50;

// The files and streams of a drop: local files by their paths, http(s) URLs.
QStringList droppedEntries(const QMimeData* data) {
    QStringList entries;
    if (data == nullptr) {
        return entries;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            entries << url.toLocalFile();
        } else if (IsStreamUrl(url.toString())) {
            entries << url.toString();
        }
    }
    return entries;
}

// The scale of a skin size: the size itself, or for 0 the screen's own, from
// its pixel density (96 dots an inch being 1).
double scaleFor(double size) {
    if (size > 0) {
        return size;
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen == nullptr ? 96
                                         : screen->physicalDotsPerInch() /
                                               std::max(1.0, screen->devicePixelRatio());
    return dpi >= 192 ? 2 : dpi >= 144 ? 1.5 : 1;
}

QString skinProblem(const QString& skin, const QString& problem) {
    return QStringLiteral("The skin \"%1\" cannot be used: %2.").arg(skin, problem);
}

// Where the skin a choice names is: the path it is, or the bundled or
// installed skin of that id or name; "" for none.
QString skinLocation(const QString& skin, const PlayerServices& services) {
    if (skin.startsWith(u':') || skin.contains(u'/')) {
        const QFileInfo path(skin);
        return path.fileName() == QLatin1String("skin.json") ? path.path() : skin;
    }
    // By id first: a skin's name need not be unique, its id is.
    const std::vector<SkinEntry> skins = ListSkins(services.skinFolders, services.userSkinFolder);
    for (const SkinEntry& entry : skins) {
        if (entry.id == skin) {
            return entry.path;
        }
    }
    for (const SkinEntry& entry : skins) {
        if (entry.name.compare(skin, Qt::CaseInsensitive) == 0) {
            return entry.path;
        }
    }
    return {};
}

Skin readChosenSkin(const QString& skin, const PlayerServices& services) {
    const QString path = skinLocation(skin, services);
    if (path.isEmpty()) {
        throw SkinError(skinProblem(skin, QStringLiteral("no skin of that name is installed")));
    }
    return ReadSkin(path);
}

// The skin the windows are first drawn in: the one asked for this run, else
// the one kept, else Classic (as bundled, else as carried in the program).
SkinInUse firstSkin(const PlayerServices& services) {
    SkinInUse use;
    const PlayerSettings kept = LoadSettings(services.paths.settings);
    use.choice = kept.skin;
    use.size = kept.skinSize;
    if (!services.skinSize.isEmpty()) {
        bool number = false;
        const double size = services.skinSize.toDouble(&number);
        if (number && size > 0 && IsSkinSize(size)) {
            use.size = size;
        } else {
            use.problems << QStringLiteral("The size \"%1\" cannot be used: the sizes are 1, "
                                           "1.5 and 2.")
                                .arg(services.skinSize);
        }
    }
    QStringList choices{kept.skin, QStringLiteral("classic")};
    if (!services.skin.isEmpty()) {
        choices.prepend(services.skin);
    }
    for (const QString& choice : choices) {
        try {
            use.skin = readChosenSkin(choice, services);
            use.choice = choice == services.skin ? kept.skin : choice;
            break;
        } catch (const SkinError& error) {
            // Classic is carried in the program too: that one stands in for it.
            if (choice != QLatin1String("classic") && !use.problems.contains(error.Message())) {
                use.problems << error.Message();
            }
        }
    }
    if (use.skin.id.isEmpty()) {
        use.skin = ReadSkin(QStringLiteral(":/skins/classic"));
        use.choice = QStringLiteral("classic");
    }
    use.scale = scaleFor(use.size);
    return use;
}

} // namespace

Player::Player(PlayerServices services)
    : services_(std::move(services)), skin_(firstSkin(services_)),
      main_(skin_.skin, skin_.scale, actionLookup()),
      session_(std::make_unique<PlaybackSession>(services_.makeEngine(main_.VideoWindow()),
                                                 *services_.screenSaver, services_.paths)),
      title_(skin_.skin, skin_.scale), bar_(skin_.skin, skin_.scale, actionLookup()),
      queueModel_(*session_), playlist_(queueModel_, skin_.skin, skin_.scale), group_(main_),
      tray_(LoadIcon(QString::fromLatin1(design::kProgramIcon)),
            QStringLiteral("Quarn Media Player")) {
    fileDialog_.SetBackend(std::move(services_.fileDialogs));
    fileDialog_.SetDefaultExt(QStringLiteral("1"));
    // The companions dock where the skin puts them: the title strip above the
    // main window, the toolbar below it, the playlist below the toolbar.
    auto scaled = [this](int pixels) { return Scaled(pixels, skin_.scale); };
    auto toolbarPlace = [this, scaled](const QRect& main) {
        const SkinDock& dock = skin_.skin.toolbar.dock;
        return CompanionPlace(main, scaled(dock.x), main.top() + main.height() + scaled(dock.gap));
    };
    group_.AddCompanion(title_, [this, scaled](const QRect& main) {
        const SkinDock& dock = skin_.skin.titleStrip.dock;
        return CompanionPlace(main, scaled(dock.x),
                              main.top() - scaled(dock.gap) - title_.height());
    });
    group_.AddCompanion(bar_, toolbarPlace);
    group_.AddCompanion(playlist_, [this, scaled, toolbarPlace](const QRect& main) {
        const SkinDock& dock = skin_.skin.playlist.dock;
        return CompanionPlace(main, scaled(dock.x),
                              toolbarPlace(main).y() + bar_.height() + scaled(dock.gap));
    });
    pictureMenu_.SetStyle(MenuStyle(skin_.skin.menu, skin_.scale));
    playlist_.SetHeight(session_->Settings().playlistHeight);
    group_.SetCompanionShown(playlist_, session_->Settings().playlistShown);
    connectWindows();
    keepAbove();

    // Without a tray host the main window is found in the taskbar instead.
    platform::SetSkipTaskbar(main_, trayHost_.Present());
    connect(&trayHost_, &platform::TrayHostWatch::Changed, this,
            [this](bool present) { platform::SetSkipTaskbar(main_, present); });
    connect(&tray_, &TrayIcon::RestoreRequested, this, [this] {
        group_.Center();
        Raise();
    });

    playRequested_.setSingleShot(true);
    playRequested_.setInterval(kRequestGatherMs);
    connect(&playRequested_, &QTimer::timeout, this, [this] { PlayFiles(requested_); });

    // Keys work on each of the player's windows (its commands' keys), and
    // files may be dropped on them.
    qApp->installEventFilter(this);
    for (QWidget* window : std::initializer_list<QWidget*>{&main_, &title_, &bar_, &playlist_}) {
        window->addActions(commands_.WithKeys());
        window->setAcceptDrops(window != &playlist_);
    }
    // Tab goes round the controls of the main window, the toolbar and the
    // playlist (or of the full-screen bar).
    focusRing_ = std::make_unique<FocusRing>(
        std::vector<QWidget*>{&main_, &title_, &bar_, &playlist_}, [this] {
            if (group_.FullScreen()) {
                return main_.Controls().Controls();
            }
            std::vector<QWidget*> controls{&main_.Bar()};
            controls.insert(controls.end(), bar_.Buttons().begin(), bar_.Buttons().end());
            if (group_.CompanionShown(playlist_)) {
                controls.push_back(&playlist_.List());
            }
            return controls;
        });
    // What a screen reader says each window is; the captions stay the designs'.
    main_.setAccessibleName(QString::fromLatin1(design::frmMain::kCaption));
    title_.setAccessibleName(QStringLiteral("Title"));
    bar_.setAccessibleName(QStringLiteral("Controls"));
    playlist_.setAccessibleName(QStringLiteral("Playlist"));
}

ActionLookup Player::actionLookup() {
    return [this](const QString& command) { return commands_.Named(command); };
}

void Player::connectWindows() {
    PlaybackSession* session = session_.get();
    connect(&main_, &MainWindow::SizeWanted, &group_, &WindowGroup::SetMainSize);
    connect(&main_, &MainWindow::DragRequested, &group_, &WindowGroup::Drag);
    connect(&title_, &TitleStrip::DragRequested, &group_, &WindowGroup::Drag);
    connect(&main_, &MainWindow::SeekRequested, session, &PlaybackSession::SeekTo);
    connect(&main_, &MainWindow::SpeedRequested, session, &PlaybackSession::SetSpeed);
    connect(&main_, &MainWindow::CloseRequested, commands_[Command::Exit], &QAction::trigger);
    connect(&main_, &MainWindow::VolumeStepRequested, session,
            [session](int notches) { session->ChangeVolume(notches * 5); });
    connect(&main_, &MainWindow::VolumeRequested, session, &PlaybackSession::SetVolume);
    connect(&main_, &MainWindow::SeekByRequested, session, &PlaybackSession::SeekBy);
    connect(&main_, &MainWindow::FullScreenToggleRequested, commands_[Command::FullScreen],
            &QAction::trigger);
    connect(&main_, &MainWindow::PictureMenuRequested, this, &Player::showPictureMenu);
    // Subtitles move up above the full-screen controls while these show.
    connect(&main_, &MainWindow::ControlsCover, session,
            [session](int pixels) { session->Engine().SetSubtitleMargin(pixels); });

    connect(&pictureMenu_, &PictureMenu::RecentChosen, session,
            [session](int index) { session->OpenRecent(session->RecentEntries().value(index)); });
    connect(&pictureMenu_, &PictureMenu::SubtitleChosen, session,
            [session](int id) { session->SelectTrack(MediaTrack::Kind::Subtitle, id); });
    connect(&pictureMenu_, &PictureMenu::ChapterChosen, session, &PlaybackSession::SetChapter);
    connect(session, &PlaybackSession::ChaptersChanged, this, [this] {
        QList<double> starts;
        for (const MediaChapter& chapter : session_->Chapters()) {
            starts << chapter.start;
        }
        main_.ShowChapters(starts);
        playingChanged();
    });
    connect(&pictureMenu_, &PictureMenu::AudioChosen, session,
            [session](int id) { session->SelectTrack(MediaTrack::Kind::Audio, id); });
    connect(&pictureMenu_, &PictureMenu::SkinChosen, this, [this](int index) {
        if (index >= 0 && size_t(index) < listedSkins_.size()) {
            const SkinEntry& entry = listedSkins_.at(size_t(index));
            // Skins of the bundled and the user's folders are kept by their
            // ids; a namesake further down the list by its path.
            const bool byId = !entry.id.contains(u'-') || entry.id == SkinId(entry.path);
            UseSkin(byId ? entry.id : entry.path, skin_.size);
        }
    });

    playlist_.SetActions(commands_[Command::AddFiles], commands_[Command::AddFolder],
                         commands_[Command::SavePlaylist], commands_[Command::RemoveEntries],
                         commands_[Command::UndoRemoval]);
    connect(&playlist_, &PlaylistWindow::PlayRequested, session, &PlaybackSession::PlayRow);
    connect(&playlist_, &PlaylistWindow::DragRequested, &group_, &WindowGroup::Drag);
    connect(&playlist_, &PlaylistWindow::HeightChanged, session,
            [session](int height) { session->SetPlaylistWindow(true, height); });
    connect(session, &PlaybackSession::QueueChanged, this, &Player::queueChanged);
    connect(session, &PlaybackSession::QueueEntryChanged, this, &Player::queueChanged);
    connect(session, &PlaybackSession::QueueEntriesChanged, this, &Player::queueChanged);

    // A sound-only file keeps the cover shown (none to draw video into).
    connect(session, &PlaybackSession::FileLoading, this, [this] {
        if (!session_->SoundOnly()) {
            main_.ShowDisplay();
        }
    });
    connect(session, &PlaybackSession::CoverChanged, &main_, &MainWindow::ShowCover);
    // The entry kept from the last run is named, but runs only once it plays.
    connect(session, &PlaybackSession::EntryReady, &title_, &TitleStrip::ShowStillTitle);
    connect(session, &PlaybackSession::FileOpened, this, [this](const QString& title) {
        main_.ShowOpened();
        title_.ShowTitle(title);
    });
    connect(session, &PlaybackSession::PlaybackEnded, this, [this] {
        main_.ShowEnded();
        title_.ClearTitle();
    });
    connect(session, &PlaybackSession::VideoSizeChanged, &main_, &MainWindow::ShowVideo);
    connect(session, &PlaybackSession::ReadoutChanged, this, [this](const Readout& readout) {
        bar_.ShowTime(readout.caption, SpokenTime(readout.value, readout.maximum));
        main_.ShowReadout(readout);
    });
    connect(session, &PlaybackSession::Notice, this, &Player::showNotice);
    connect(session, &PlaybackSession::ProblemFound, this, &Player::reportProblem);
    connect(session, &PlaybackSession::StateChanged, this, &Player::playingChanged);
    connect(session, &PlaybackSession::VolumeChanged, this, &Player::playingChanged);
    connect(&group_, &WindowGroup::Changed, this, &Player::playingChanged);
    connectCommands();
    playingChanged();
}

void Player::connectCommands() {
    PlaybackSession* s = session_.get();
    auto on = [this](Command command, auto&& does) {
        connect(commands_[command], &QAction::triggered, this,
                [does = std::forward<decltype(does)>(does)] { does(); });
    };
    on(Command::Play, [s] { s->Play(); });
    on(Command::Pause, [s] { s->Pause(); });
    on(Command::PlayPause, [s] { s->PlayPause(); });
    on(Command::Stop, [s] { s->Stop(); });
    on(Command::Open, [this] { Open(); });
    on(Command::Previous, [s] { s->Previous(); });
    on(Command::Next, [s] { s->Next(); });
    on(Command::SeekBack, [s] { s->SeekBy(-5); });
    on(Command::SeekForward, [s] { s->SeekBy(5); });
    on(Command::SeekBackMore, [s] { s->SeekBy(-60); });
    on(Command::SeekForwardMore, [s] { s->SeekBy(60); });
    on(Command::FrameBack, [s] { s->StepFrame(false); });
    on(Command::FrameForward, [s] { s->StepFrame(true); });
    on(Command::VolumeUp, [s] { s->ChangeVolume(5); });
    on(Command::VolumeDown, [s] { s->ChangeVolume(-5); });
    on(Command::Mute, [s] { s->ToggleMute(); });
    on(Command::NextAudio, [s] { s->NextTrack(MediaTrack::Kind::Audio); });
    on(Command::FullScreen, [this] { group_.SetFullScreen(!group_.FullScreen()); });
    on(Command::LeaveFullScreen, [this] { group_.SetFullScreen(false); });
    on(Command::HalfSize, [this] { main_.SetZoom(50); });
    on(Command::NormalSize, [this] { main_.SetZoom(100); });
    on(Command::DoubleSize, [this] { main_.SetZoom(200); });
    on(Command::ToggleSubtitles, [s] { s->ToggleSubtitles(); });
    on(Command::NextSubtitle, [s] { s->NextTrack(MediaTrack::Kind::Subtitle); });
    on(Command::LoadSubtitle, [this] { loadSubtitleFile(); });
    on(Command::Screenshot, [s] { s->TakeScreenshot(); });
    on(Command::Slower, [s] { s->ChangeSpeed(-0.1); });
    on(Command::Faster, [s] { s->ChangeSpeed(0.1); });
    on(Command::NormalSpeed, [s] { s->SetSpeed(1.0); });
    on(Command::CycleLoop, [s] { s->CycleLoop(); });
    on(Command::Playlist, [this] { showPlaylist(!group_.CompanionShown(playlist_)); });
    // From the keys, the picture's menu opens at the middle of the video.
    on(Command::PictureMenu, [this] { showPictureMenu(main_.VideoCentre()); });
    on(Command::Effects, [this] {
        // At the pointer, as ever; at the button when the keyboard pressed it.
        auto* button = qobject_cast<PictureButton*>(QApplication::focusWidget());
        const bool byKeys = button != nullptr && button->Action() == commands_[Command::Effects] &&
                            !button->underMouse();
        Effects().Popup(byKeys ? button->mapToGlobal(QPoint(0, button->height())) : QCursor::pos());
    });
    // The effects are extras: whatever goes wrong there is told on the log,
    // and the player goes on.
    auto guarded = [](const char* what, const std::function<void()>& run) {
        try {
            run();
        } catch (const std::exception& error) {
            qWarning("The %s could not be shown: %s", what, error.what());
        }
    };
    on(Command::Melt, [guarded] { guarded("melt", [] { Melter::Run(); }); });
    on(Command::About, [this, guarded] { guarded("About box", [this] { ShowAbout(); }); });
    on(Command::OpenSkin, [this] { openSkin(); });
    on(Command::SkinsFolder, [this] { showSkinsFolder(); });
    on(Command::AddFiles, [this] { addToQueue(playlist_.MenuRow(), false); });
    on(Command::AddFolder, [this] { addToQueue(playlist_.MenuRow(), true); });
    on(Command::SavePlaylist, [this] { saveQueue(); });
    on(Command::RemoveEntries, [this, s] { s->RemoveRows(playlist_.SelectedRows()); });
    on(Command::UndoRemoval, [s] { s->UndoRemoval(); });
    on(Command::Exit, [this] { Exit(); });
    on(Command::PreviousChapter, [s] { s->PreviousChapter(); });
    on(Command::NextChapter, [s] { s->NextChapter(); });
    on(Command::StartOver, [s] { s->StartOver(); });
    on(Command::SubtitleDelayDown, [s] { s->ChangeSubtitleDelay(-0.1); });
    on(Command::SubtitleDelayUp, [s] { s->ChangeSubtitleDelay(0.1); });
    on(Command::AudioDelayDown, [s] { s->ChangeAudioDelay(-0.1); });
    on(Command::AudioDelayUp, [s] { s->ChangeAudioDelay(0.1); });
    on(Command::ResetTimings, [s] { s->ResetTimings(); });
    on(Command::SubtitlesLarger, [s] { s->ChangeSubtitleSize(0.1); });
    on(Command::SubtitlesSmaller, [s] { s->ChangeSubtitleSize(-0.1); });
    on(Command::SubtitlesHigher, [s] { s->MoveSubtitles(-5); });
    on(Command::SubtitlesLower, [s] { s->MoveSubtitles(5); });
    on(Command::NextAspectRatio, [s] { s->NextAspectRatio(); });
    on(Command::NextDeinterlace,
       [s] { s->SetDeinterlace(Deinterlace((int(s->DeinterlaceMode()) + 1) % 3)); });
    const std::tuple<Command, PictureAdjustment, int> adjustments[] = {
        {Command::BrightnessUp, PictureAdjustment::Brightness, 5},
        {Command::BrightnessDown, PictureAdjustment::Brightness, -5},
        {Command::ContrastUp, PictureAdjustment::Contrast, 5},
        {Command::ContrastDown, PictureAdjustment::Contrast, -5},
        {Command::SaturationUp, PictureAdjustment::Saturation, 5},
        {Command::SaturationDown, PictureAdjustment::Saturation, -5},
        {Command::GammaUp, PictureAdjustment::Gamma, 5},
        {Command::GammaDown, PictureAdjustment::Gamma, -5}};
    for (const auto& [command, which, by] : adjustments) {
        on(command, [s, which = which, by = by] { s->ChangeAdjustment(which, by); });
    }
    on(Command::ResetPicture, [s] { s->ResetPicture(); });
    connect(&commands_.AspectRatios(), &QActionGroup::triggered, s,
            [s](QAction* ratio) { s->SetAspectRatio(ratio->data().toDouble()); });
    connect(&commands_.Deinterlacing(), &QActionGroup::triggered, s,
            [s](QAction* mode) { s->SetDeinterlace(Deinterlace(mode->data().toInt())); });
    on(Command::AlwaysOnTop, [this, s] {
        s->SetAlwaysOnTop(!s->Settings().alwaysOnTop);
        keepAbove();
    });
    connect(&commands_.ReplayGains(), &QActionGroup::triggered, s,
            [s](QAction* mode) { s->SetReplayGain(ReplayGain(mode->data().toInt())); });
    connect(&commands_.Speeds(), &QActionGroup::triggered, s,
            [s](QAction* speed) { s->SetSpeed(speed->data().toDouble()); });
    connect(&commands_.Loops(), &QActionGroup::triggered, s,
            [s](QAction* loop) { s->SetLoop(LoopMode(loop->data().toInt())); });
    connect(&commands_.SkinSizes(), &QActionGroup::triggered, this,
            [this](QAction* size) { UseSkin(skin_.choice, size->data().toDouble()); });
    // In full screen every command brings the controls up for a moment.
    for (QAction* action : commands_.findChildren<QAction*>()) {
        connect(action, &QAction::triggered, this, [this] {
            if (group_.FullScreen()) {
                main_.ShowControls();
            }
        });
    }
}

Player::~Player() {
    qApp->removeEventFilter(this);
}

void Player::Start(const QStringList& files) {
    tray_.Show();
    // Skins asked for that could not be used: told once the player is up.
    QTimer::singleShot(0, this, [this] {
        for (const QString& problem : std::exchange(skin_.problems, {})) {
            qWarning("%s", qPrintable(problem));
            services_.message(problem, QString::fromLatin1(design::kApplicationTitle), {});
        }
    });
    // Without files, the queue of the last run is there to go on with.
    if (files.isEmpty()) {
        session_->RestoreQueue();
    }
    if (!files.isEmpty()) {
        showPlayer(false);
        // The group comes up in the middle of the screen at its video's size.
        group_.CentreOnNextSize();
        PlayFiles(files);
        return;
    }
    CenterForm(splash_);
    intro_ = services_.makeEngine(0);
    connect(intro_.get(), &MediaEngine::EndOfStream, this, [this] { showPlayer(true); });
    // Without its intro the splash goes straight on to the player.
    connect(intro_.get(), &MediaEngine::Refused, this, [this](int, const QString& reason) {
        qInfo("The intro cannot be played: %s", qPrintable(reason));
        showPlayer(false);
    });
    connect(intro_.get(), &MediaEngine::Failed, this, [this](const QString& reason) {
        qInfo("The intro stopped: %s", qPrintable(reason));
        showPlayer(false);
    });
    connect(&splash_, &Splash::Skipped, this, [this] {
        if (intro_) {
            intro_->Stop();
        }
        showPlayer(false);
    });
    try {
        intro_->SetFileName(QDir(services_.programDirectory).filePath(QStringLiteral("intro.mp3")));
    } catch (const EngineError& error) {
        qInfo("The intro cannot be played: %s", qPrintable(error.Reason()));
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
    group_.Show();
    if (afterIntro) {
        // At the intro's end the title strip first stands centred 800 twips
        // above the main window, and then goes to its place.
        const QRect screen = main_.screen()->geometry();
        const TwipsPoint at{PixelsToTwips(screen.width()) / 2 - PixelsToTwips(title_.width()) / 2,
                            PixelsToTwips(main_.y()) - 800};
        title_.move(screen.left() + TwipsToPixels(at.left), TwipsToPixels(at.top));
    }
    platform::ActivateWindowByTitle(main_.windowTitle());
    // The intro's engine has done its work.
    QTimer::singleShot(kIntroReleaseMs, this, [this] { intro_.reset(); });
}

void Player::PlayFiles(const QStringList& files) {
    // Files that come while the intro plays end it.
    if (!playerShown_ && !files.isEmpty()) {
        if (intro_) {
            intro_->Stop();
        }
        showPlayer(false);
    }
    session_->PlayEntries(files);
}

void Player::RequestFiles(const QStringList& files) {
    requested_ = files;
    playRequested_.start();
}

void Player::TakeHandOver(const QStringList& files, bool enqueue) {
    if (enqueue && !session_->Queue().IsEmpty()) {
        session_->AddEntries(files);
    } else if (!files.isEmpty()) {
        PlayFiles(files);
    }
    Raise();
}

void Player::Open() {
    // A second Open while the dialog is up brings that one to the front.
    if (fileDialog_.RaiseDialog()) {
        return;
    }
    fileDialog_.SetFilter(MediaFilter());
    // Where the film playing is, else where a file was opened from last.
    fileDialog_.SetInitDir(session_->OpenFolder());
    fileDialog_.ShowOpen();
    // Keys go to the player again once the dialog has gone.
    platform::ActivateWindowByTitle(main_.windowTitle());
    // The companions join the main window first.
    group_.Dock();
    session_->Open(fileDialog_.FileName(), OpenOrigin::Single);
}

void Player::showNotice(const QString& text, int ms) {
    // On the picture in full screen, where the toolbar is hidden; else in
    // the time label, or the title strip for what would not be readable there.
    if (group_.FullScreen()) {
        main_.ShowNotice(text, ms);
    } else if (text.size() <= kLongestTimeNotice) {
        bar_.ShowNotice(text, ms);
    } else {
        title_.ShowNotice(text, ms);
    }
}

void Player::playingChanged() {
    const PlaybackState state = session_->State();
    const bool open = !session_->CurrentEntry().isEmpty();
    const bool full = group_.FullScreen();
    main_.ShowVolume(session_->Volume(), session_->Muted());
    bar_.ShowMuted(session_->Muted());
    // Every command's state is the player's: ticks and disabled entries in
    // menus, the buttons' looks, never a state of their own.
    commands_[Command::PlayPause]->setChecked(state == PlaybackState::Playing);
    commands_[Command::PlayPause]->setToolTip(
        state == PlaybackState::Playing ? QStringLiteral("Pause") : QStringLiteral("Play"));
    commands_[Command::Mute]->setChecked(session_->Muted());
    commands_[Command::FullScreen]->setChecked(full);
    commands_[Command::FullScreen]->setToolTip(full ? QStringLiteral("Leave full screen")
                                                    : QStringLiteral("Full screen"));
    commands_[Command::Playlist]->setChecked(group_.CompanionShown(playlist_));
    bool subtitles = false;
    for (const MediaTrack& track : session_->Tracks()) {
        subtitles = subtitles || (track.kind == MediaTrack::Kind::Subtitle && track.selected);
    }
    commands_[Command::ToggleSubtitles]->setChecked(subtitles);
    for (const Command command :
         {Command::SeekBack, Command::SeekForward, Command::SeekBackMore, Command::SeekForwardMore,
          Command::FrameBack, Command::FrameForward, Command::ToggleSubtitles,
          Command::NextSubtitle, Command::LoadSubtitle, Command::NextAudio, Command::Screenshot}) {
        commands_[command]->setEnabled(open);
    }
    const bool wrap = session_->Loop() == LoopMode::Queue;
    commands_[Command::Next]->setEnabled(session_->Queue().NextRow(wrap).has_value());
    commands_[Command::Previous]->setEnabled(session_->Queue().PreviousRow(wrap).has_value());
    CommandTable::Check(commands_.Speeds(), session_->Speed());
    CommandTable::Check(commands_.Loops(), double(session_->Loop()));
    CommandTable::Check(commands_.SkinSizes(), skin_.size);
    CommandTable::Check(commands_.ReplayGains(), double(session_->ReplayGainMode()));
    CommandTable::Check(commands_.AspectRatios(), session_->AspectRatio());
    CommandTable::Check(commands_.Deinterlacing(), double(session_->DeinterlaceMode()));
    const bool chapters = !session_->Chapters().empty();
    commands_[Command::PreviousChapter]->setEnabled(chapters);
    commands_[Command::NextChapter]->setEnabled(chapters);
    commands_[Command::AlwaysOnTop]->setChecked(session_->Settings().alwaysOnTop);
    // What a screen reader is told of playback.
    const char* said = state == PlaybackState::Playing  ? "Playing"
                       : state == PlaybackState::Paused ? "Paused"
                                                        : "Stopped";
    main_.setAccessibleDescription(QString::fromLatin1(said));
    queueChanged();
}

void Player::queueChanged() {
    const PlayQueue& queue = session_->Queue();
    playlist_.ShowSummary(queue.KnownLength(), queue.Size(), queue.Shuffle(), session_->Loop());
}

void Player::keepAbove() {
    for (QWidget* window : std::initializer_list<QWidget*>{&main_, &title_, &bar_, &playlist_}) {
        platform::SetKeepAbove(*window, session_->Settings().alwaysOnTop);
    }
    playingChanged();
}

void Player::showPlaylist(bool shown) {
    group_.SetCompanionShown(playlist_, shown);
    session_->SetPlaylistWindow(shown, playlist_.height());
    playingChanged();
}

void Player::activateAgain(const QWidget* asking) {
    // The player's window a dialog was asked from (the playlist, by its menu)
    // takes the keys again, else the main window.
    const bool own = asking == &playlist_ || asking == &bar_ || asking == &title_;
    platform::ActivateWindowByTitle(own && asking->isVisible() ? asking->windowTitle()
                                                               : main_.windowTitle());
}

void Player::addToQueue(int row, bool folder) {
    const QWidget* asking = QApplication::activeWindow();
    QStringList entries;
    if (folder) {
        if (const QString chosen = fileDialog_.GetFolderName(QStringLiteral("Add folder"));
            !chosen.isEmpty()) {
            entries << chosen;
        }
    } else {
        FileDialogBackend::Request request;
        request.title = QStringLiteral("Add files");
        request.filters = {
            {QStringLiteral("Media Files and Playlists"),
             MediaFilePatterns() + QStringList{"*.m3u", "*.m3u8", "*.pls", "*.xspf"}},
            {QStringLiteral("All Files (*.*)"), {QStringLiteral("*.*")}}};
        entries = fileDialog_.Backend().ChooseFiles(request);
    }
    activateAgain(asking);
    if (!entries.isEmpty()) {
        session_->AddEntries(entries, row);
    }
}

void Player::saveQueue() {
    const QWidget* asking = QApplication::activeWindow();
    fileDialog_.SetFilter(QStringLiteral("M3U8 Playlists|*.m3u8|All Files (*.*)|*.*|"));
    fileDialog_.SetDefaultExt(QStringLiteral("m3u8"));
    fileDialog_.ShowSave();
    fileDialog_.SetDefaultExt(QStringLiteral("1"));
    activateAgain(asking);
    const QString path = fileDialog_.FileName();
    if (path.isEmpty()) {
        return;
    }
    if (const platform::WriteOutcome saved = session_->SaveQueueAs(path); !saved.written) {
        services_.message(QStringLiteral("The playlist was not saved."),
                          QString::fromLatin1(design::kApplicationTitle), saved.problem);
    } else {
        showNotice(QStringLiteral("Saved ") + GetFileName(platform::ReadableFileName(path)));
    }
}

void Player::showPictureMenu(QPoint at) {
    MenuLists lists;
    for (const QString& entry : session_->RecentEntries()) {
        lists.recent << (IsStreamUrl(entry) ? entry
                                            : GetFileName(platform::ReadableFileName(entry)));
    }
    for (const MediaTrack& track : session_->Tracks()) {
        (track.kind == MediaTrack::Kind::Subtitle ? lists.subtitles : lists.audio)
            .push_back({PlaybackSession::TrackLabel(track), track.id, track.selected});
    }
    listedSkins_ = ListSkins(services_.skinFolders, services_.userSkinFolder);
    const QFileInfo shown(skinLocation(skin_.choice, services_));
    for (size_t i = 0; i < listedSkins_.size(); ++i) {
        const SkinEntry& entry = listedSkins_[i];
        lists.skins.push_back({entry.name, int(i), QFileInfo(entry.path) == shown});
    }
    const std::vector<MediaChapter> chapters = session_->Chapters();
    for (size_t i = 0; i < chapters.size(); ++i) {
        const MediaChapter& chapter = chapters[i];
        const QString title =
            chapter.title.isEmpty() ? QStringLiteral("Chapter %1").arg(i + 1) : chapter.title;
        lists.chapters.push_back(
            {title + QLatin1Char('\t') +
                 TimeStringFor(RoundToInt32(chapter.start), RoundToInt32(session_->Duration())),
             int(i), int(i) == session_->CurrentChapter()});
    }
    lists.playing = !session_->CurrentEntry().isEmpty();
    pictureMenu_.Popup(at, lists);
}

void Player::loadSubtitleFile() {
    if (fileDialog_.RaiseDialog()) {
        return;
    }
    fileDialog_.SetFilter(
        QStringLiteral("Subtitle Files|*.srt;*.ass;*.ssa;*.sub;*.vtt;*.idx|All Files (*.*)|*.*|"));
    fileDialog_.ShowOpen();
    platform::ActivateWindowByTitle(main_.windowTitle());
    if (const QString path = fileDialog_.FileName(); !path.isEmpty()) {
        session_->AddSubtitleFile(path);
    }
}

void Player::reportProblem(const PlaybackProblem& problem) {
    // Which file, and why: in the box (and on the picture in full screen,
    // where the box may be hidden), and on the log for those who started the
    // player from a terminal.
    const QString name = IsStreamUrl(problem.entry)
                             ? problem.entry
                             : GetFileName(platform::ReadableFileName(problem.entry));
    const QString detail =
        name.isEmpty() ? problem.reason : name + QStringLiteral(": ") + problem.reason;
    qWarning("%s", qPrintable(detail));
    if (group_.FullScreen()) {
        main_.ShowNotice(detail);
    }
    if (problem.code == EngineError::kCannotPlay) {
        services_.message(QStringLiteral("Movie is invalid or you need a codec"),
                          QStringLiteral("Playback Error"), detail);
    } else {
        services_.message(QString::number(problem.code),
                          QString::fromLatin1(design::kApplicationTitle), detail);
    }
}

bool Player::UseSkin(const QString& choice, double size, bool forThisRun) {
    try {
        Skin skin = readChosenSkin(choice, services_);
        skin_.skin = std::move(skin);
    } catch (const SkinError& error) {
        qWarning("%s", qPrintable(error.Message()));
        services_.message(error.Message(), QString::fromLatin1(design::kApplicationTitle), {});
        return false;
    }
    skin_.choice = choice;
    skin_.size = IsSkinSize(size) ? size : 0;
    skin_.scale = scaleFor(skin_.size);
    // Every window takes its new look; the group docks again around the main
    // window, which keeps its place, and stays on the screen.
    main_.ApplySkin(skin_.skin, skin_.scale);
    title_.ApplySkin(skin_.skin, skin_.scale);
    bar_.ApplySkin(skin_.skin, skin_.scale);
    playlist_.ApplySkin(skin_.skin, skin_.scale);
    pictureMenu_.SetStyle(MenuStyle(skin_.skin.menu, skin_.scale));
    group_.Dock();
    group_.KeepOnScreen();
    if (!forThisRun) {
        session_->SetSkin(choice, skin_.size);
    }
    return true;
}

void Player::openSkin() {
    if (fileDialog_.RaiseDialog()) {
        return;
    }
    fileDialog_.SetFilter(
        QStringLiteral("Skins (skin.json, *.zip)|skin.json;*.zip|All Files (*.*)|*.*|"));
    fileDialog_.ShowOpen();
    platform::ActivateWindowByTitle(main_.windowTitle());
    if (const QString path = fileDialog_.FileName(); !path.isEmpty()) {
        UseSkin(QFileInfo(path).absoluteFilePath(), skin_.size);
    }
}

void Player::showSkinsFolder() {
    // Made where it is missing, so that there is somewhere to put skins.
    QDir().mkpath(services_.userSkinFolder);
    QDesktopServices::openUrl(QUrl::fromLocalFile(services_.userSkinFolder));
}

void Player::Exit() {
    tray_.Remove();
    if (services_.exiting) {
        services_.exiting();
    }
    // A melt in progress runs a loop of its own: it ends too.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* melt = qobject_cast<Melter*>(window)) {
            melt->close();
        }
    }
    // The program ends at once: no window's close handling runs. Every event
    // loop ends, a dialog's too. The engine and the screen-saver hold are let
    // go as the program winds down.
    QCoreApplication::exit(0);
}

void Player::Raise() {
    if (main_.isMinimized()) {
        main_.setWindowState(main_.windowState() & ~Qt::WindowMinimized);
    }
    platform::ActivateWindowByTitle(main_.windowTitle());
    // A message still up stays in front of the player, with the keys.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && qobject_cast<MessageWindow*>(window) != nullptr) {
            window->raise();
            window->activateWindow();
        }
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
                // Subtitles dropped on a film playing go with it.
                if (entries.size() == 1 && IsSubtitleFileName(entries.first()) &&
                    !session_->CurrentEntry().isEmpty()) {
                    session_->AddSubtitleFile(entries.first());
                } else {
                    PlayFiles(entries);
                }
                return true;
            }
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

EffectsMenu& Player::Effects() {
    if (!effects_) {
        effects_ =
            std::make_unique<EffectsMenu>(commands_[Command::Melt], commands_[Command::About]);
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
