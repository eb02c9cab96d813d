#include "app/Player.h"

#include "common/Designs.h"
#include "common/FileTitles.h"
#include "common/Layout.h"
#include "common/MediaTypes.h"
#include "common/StreamUrl.h"
#include "platform/Desktop.h"
#include "platform/FileNames.h"
#include "platform/Taskbar.h"
#include "widgets/Pictures.h"
#include "widgets/WindowLook.h"
#include "windows/Melter.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScreen>
#include <QTimer>
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

QPoint titleStripPlace(const QRect& main) {
    return ToPixels(TitleStripDock(ToTwips(main)));
}

QPoint toolbarPlace(const QRect& main) {
    return ToPixels(ToolbarDock(ToTwips(main)));
}

// Below the toolbar, 30 twips apart as the toolbar is from the main window.
QPoint playlistPlace(const QRect& main) {
    const TwipsPoint toolbar = ToolbarDock(ToTwips(main));
    return ToPixels(
        TwipsPoint{toolbar.left, toolbar.top + layout::kToolbarHeight + layout::kToolbarGap});
}

} // namespace

Player::Player(PlayerServices services)
    : services_(std::move(services)),
      session_(std::make_unique<PlaybackSession>(services_.makeEngine(main_.VideoWindow()),
                                                 *services_.screenSaver, services_.paths)),
      queueModel_(*session_), playlist_(queueModel_), group_(main_),
      tray_(LoadIcon(QString::fromLatin1(design::kProgramIcon)),
            QStringLiteral("Quarn Media Player")) {
    fileDialog_.SetBackend(std::move(services_.fileDialogs));
    fileDialog_.SetDefaultExt(QStringLiteral("1"));
    group_.AddCompanion(title_, titleStripPlace);
    group_.AddCompanion(bar_, toolbarPlace);
    group_.AddCompanion(playlist_, playlistPlace);
    playlist_.SetHeight(session_->Settings().playlistHeight);
    group_.SetCompanionShown(playlist_, session_->Settings().playlistShown);
    connectWindows();

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

    // Keys work, and files may be dropped, on each of the player's windows.
    qApp->installEventFilter(this);
    for (QWidget* window : std::initializer_list<QWidget*>{&main_, &title_, &bar_}) {
        window->setAcceptDrops(true);
    }
}

void Player::connectWindows() {
    PlaybackSession* session = session_.get();
    connect(&main_, &MainWindow::SizeWanted, &group_, &WindowGroup::SetMainSize);
    connect(&main_, &MainWindow::DragRequested, &group_, &WindowGroup::Drag);
    connect(&title_, &TitleStrip::DragRequested, &group_, &WindowGroup::Drag);
    connect(&main_, &MainWindow::SeekRequested, session, &PlaybackSession::SeekTo);
    connect(&main_, &MainWindow::SpeedRequested, session, &PlaybackSession::SetSpeed);
    connect(&main_, &MainWindow::CloseRequested, this, &Player::Exit);
    connect(&main_, &MainWindow::VolumeStepRequested, session,
            [session](int notches) { session->ChangeVolume(notches * 5); });
    connect(&main_, &MainWindow::SeekByRequested, session, &PlaybackSession::SeekBy);
    connect(&main_, &MainWindow::FullScreenToggleRequested, this,
            [this] { group_.SetFullScreen(!group_.FullScreen()); });
    connect(&main_, &MainWindow::PlayPauseRequested, session, &PlaybackSession::PlayPause);
    connect(&main_, &MainWindow::PictureMenuRequested, this, &Player::showPictureMenu);

    connect(&pictureMenu_, &PictureMenu::OpenChosen, this, &Player::Open);
    connect(&pictureMenu_, &PictureMenu::RecentChosen, session,
            [session](int index) { session->OpenRecent(session->RecentEntries().value(index)); });
    connect(&pictureMenu_, &PictureMenu::SubtitleChosen, session,
            [session](int id) { session->SelectTrack(MediaTrack::Kind::Subtitle, id); });
    connect(&pictureMenu_, &PictureMenu::AudioChosen, session,
            [session](int id) { session->SelectTrack(MediaTrack::Kind::Audio, id); });
    connect(&pictureMenu_, &PictureMenu::LoadSubtitleChosen, this, &Player::loadSubtitleFile);
    connect(&pictureMenu_, &PictureMenu::SpeedChosen, session, &PlaybackSession::SetSpeed);
    connect(&pictureMenu_, &PictureMenu::LoopChosen, session,
            [session](int loop) { session->SetLoop(PlaybackSession::Loop(loop)); });
    connect(&pictureMenu_, &PictureMenu::FullScreenChosen, this,
            [this] { group_.SetFullScreen(!group_.FullScreen()); });
    connect(&pictureMenu_, &PictureMenu::ScreenshotChosen, session,
            &PlaybackSession::TakeScreenshot);
    connect(&pictureMenu_, &PictureMenu::PlaylistChosen, this,
            [this] { showPlaylist(!group_.CompanionShown(playlist_)); });

    connect(&playlist_, &PlaylistWindow::PlayRequested, session, &PlaybackSession::PlayRow);
    connect(&playlist_, &PlaylistWindow::RemoveRequested, session, &PlaybackSession::RemoveRows);
    connect(&playlist_, &PlaylistWindow::UndoRequested, session, &PlaybackSession::UndoRemoval);
    connect(&playlist_, &PlaylistWindow::AddFilesRequested, this,
            [this](int row) { addToQueue(row, false); });
    connect(&playlist_, &PlaylistWindow::AddFolderRequested, this,
            [this](int row) { addToQueue(row, true); });
    connect(&playlist_, &PlaylistWindow::SaveRequested, this, &Player::saveQueue);
    connect(&playlist_, &PlaylistWindow::DragRequested, &group_, &WindowGroup::Drag);
    connect(&playlist_, &PlaylistWindow::HeightChanged, session,
            [session](int height) { session->SetPlaylistWindow(true, height); });
    connect(session, &PlaybackSession::QueueChanged, this, &Player::queueChanged);
    connect(session, &PlaybackSession::QueueEntryChanged, this, &Player::queueChanged);

    connect(&bar_, &Toolbar::PlayClicked, session, &PlaybackSession::Play);
    connect(&bar_, &Toolbar::PauseClicked, session, &PlaybackSession::Pause);
    connect(&bar_, &Toolbar::StopClicked, session, &PlaybackSession::Stop);
    connect(&bar_, &Toolbar::OpenClicked, this, &Player::Open);
    connect(&bar_, &Toolbar::EffectsClicked, this, [this](QPoint at) { Effects().Popup(at); });
    connect(&bar_, &Toolbar::ExitClicked, this, &Player::Exit);

    connect(session, &PlaybackSession::FileLoading, &main_, &MainWindow::ShowDisplay);
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
        bar_.ShowTime(readout.caption);
        main_.ShowReadout(readout);
    });
    connect(session, &PlaybackSession::Notice, this, &Player::showNotice);
    connect(session, &PlaybackSession::ProblemFound, this, &Player::reportProblem);
    connect(session, &PlaybackSession::StateChanged, this, &Player::playingChanged);
    connect(session, &PlaybackSession::VolumeChanged, this, &Player::playingChanged);
    playingChanged();
}

Player::~Player() {
    qApp->removeEventFilter(this);
}

void Player::Start(const QStringList& files) {
    tray_.Show();
    // Without files, the queue of the last run is there to go on with.
    if (files.isEmpty()) {
        session_->RestoreQueue();
    }
    if (!files.isEmpty()) {
        showPlayer(false);
        PlayFiles(files);
        return;
    }
    CenterForm(splash_);
    intro_ = services_.makeEngine(0);
    connect(intro_.get(), &MediaEngine::EndOfStream, this, [this] { showPlayer(true); });
    // Without its intro the splash goes straight on to the player.
    connect(intro_.get(), &MediaEngine::Refused, this, [this] { showPlayer(false); });
    connect(intro_.get(), &MediaEngine::Failed, this, [this] { showPlayer(false); });
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
    fileDialog_.ShowOpen();
    // Keys go to the player again once the dialog has gone.
    platform::ActivateWindowByTitle(main_.windowTitle());
    // The companions join the main window first.
    group_.Dock();
    session_->Open(fileDialog_.FileName(), OpenOrigin::Single);
}

void Player::showNotice(const QString& text) {
    // On the picture in full screen, where the toolbar is hidden; else in
    // the time label, or the title strip for what would not be readable there.
    if (group_.FullScreen()) {
        main_.ShowNotice(text);
    } else if (text.size() <= kLongestTimeNotice) {
        bar_.ShowNotice(text);
    } else {
        title_.ShowNotice(text);
    }
}

void Player::playingChanged() {
    main_.ShowPlaying(session_->PlaybackStatus() == PlaybackSession::Status::Playing);
    main_.ShowVolume(session_->Volume(), session_->Muted());
    bar_.ShowMuted(session_->Muted());
    queueChanged();
}

void Player::queueChanged() {
    const PlayQueue& queue = session_->Queue();
    playlist_.ShowSummary(queue.KnownLength(), queue.Size(), queue.Shuffle(),
                          int(session_->LoopMode()));
}

void Player::showPlaylist(bool shown) {
    group_.SetCompanionShown(playlist_, shown);
    session_->SetPlaylistWindow(shown, playlist_.height());
}

void Player::addToQueue(int row, bool folder) {
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
    // Keys go to the player again once the dialog has gone.
    platform::ActivateWindowByTitle(main_.windowTitle());
    if (!entries.isEmpty()) {
        session_->AddEntries(entries, row);
    }
}

void Player::saveQueue() {
    fileDialog_.SetFilter(QStringLiteral("M3U8 Playlists|*.m3u8|All Files (*.*)|*.*|"));
    fileDialog_.SetDefaultExt(QStringLiteral("m3u8"));
    fileDialog_.ShowSave();
    fileDialog_.SetDefaultExt(QStringLiteral("1"));
    platform::ActivateWindowByTitle(main_.windowTitle());
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
    PictureMenuState state;
    for (const QString& entry : session_->RecentEntries()) {
        state.recent << (IsStreamUrl(entry) ? entry
                                            : GetFileName(platform::ReadableFileName(entry)));
    }
    for (const MediaTrack& track : session_->Tracks()) {
        (track.kind == MediaTrack::Kind::Subtitle ? state.subtitles : state.audio)
            .push_back({PlaybackSession::TrackLabel(track), track.id, track.selected});
    }
    state.speed = session_->Speed();
    state.loop = int(session_->LoopMode());
    state.fullScreen = group_.FullScreen();
    state.playing = !session_->CurrentEntry().isEmpty();
    pictureMenu_.Popup(at, state);
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
}

void Player::perform(const KeyAction& action) {
    PlaybackSession& session = *session_;
    using Kind = KeyAction::Kind;
    switch (action.kind) {
    case Kind::PlayPause:
        session.PlayPause();
        break;
    case Kind::Play:
        session.Play();
        break;
    case Kind::Pause:
        session.Pause();
        break;
    case Kind::Stop:
        session.Stop();
        break;
    case Kind::Seek:
        session.SeekBy(action.amount);
        break;
    case Kind::Volume:
        session.ChangeVolume(action.amount);
        break;
    case Kind::Mute:
        session.ToggleMute();
        break;
    case Kind::FullScreen:
        group_.SetFullScreen(!group_.FullScreen());
        break;
    case Kind::LeaveFullScreen:
        group_.SetFullScreen(false);
        break;
    case Kind::Open:
        Open();
        break;
    case Kind::Next:
        session.Next();
        break;
    case Kind::Previous:
        session.Previous();
        break;
    case Kind::Zoom:
        main_.SetZoom(action.amount);
        break;
    case Kind::ToggleSubtitles:
        session.ToggleSubtitles();
        break;
    case Kind::NextSubtitle:
        session.NextTrack(MediaTrack::Kind::Subtitle);
        break;
    case Kind::NextAudio:
        session.NextTrack(MediaTrack::Kind::Audio);
        break;
    case Kind::Speed:
        if (action.amount == 0) {
            session.SetSpeed(1.0);
        } else {
            session.ChangeSpeed(action.amount / 100.0);
        }
        break;
    case Kind::CycleLoop:
        session.CycleLoop();
        break;
    case Kind::Screenshot:
        session.TakeScreenshot();
        break;
    case Kind::Frame:
        session.StepFrame(action.amount > 0);
        break;
    case Kind::TogglePlaylist:
        showPlaylist(!group_.CompanionShown(playlist_));
        break;
    }
    // In full screen every key brings the controls up for a moment.
    if (group_.FullScreen()) {
        main_.ShowControls();
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

bool Player::isPlaylist(const QObject* object) const {
    const auto* widget = qobject_cast<const QWidget*>(object);
    return widget != nullptr && widget->window() == &playlist_;
}

bool Player::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
        // The player's keys work on the playlist too, but for those its list takes.
        if (isPlayerWindow(watched) ||
            (isPlaylist(watched) &&
             !PlaylistWindow::TakesKey(static_cast<QKeyEvent*>(event)->key(),
                                       static_cast<QKeyEvent*>(event)->modifiers()))) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (const auto action = ActionForKey(key->key(), key->modifiers())) {
                perform(*action);
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
        effects_ = std::make_unique<EffectsMenu>();
        // The effects are extras: whatever goes wrong there is told on the
        // log, and the player goes on.
        auto guarded = [](const char* what, const std::function<void()>& run) {
            try {
                run();
            } catch (const std::exception& error) {
                qWarning("The %s could not be shown: %s", what, error.what());
            }
        };
        connect(effects_.get(), &EffectsMenu::MeltChosen, this,
                [guarded] { guarded("melt", [] { Melter::Run(); }); });
        connect(effects_.get(), &EffectsMenu::AboutChosen, this,
                [this, guarded] { guarded("About box", [this] { ShowAbout(); }); });
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
