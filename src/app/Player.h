#pragma once

#include "app/Commands.h"
#include "app/PictureMenu.h"
#include "platform/ScreenSaver.h"
#include "platform/TrayHost.h"
#include "session/PlaybackSession.h"
#include "session/QueueModel.h"
#include "widgets/Cmdlg.h"
#include "widgets/FocusRing.h"
#include "widgets/Skin.h"
#include "widgets/SkinCatalog.h"
#include "widgets/WindowGroup.h"
#include "windows/AboutBox.h"
#include "windows/EffectsMenu.h"
#include "windows/MainWindow.h"
#include "windows/PlaylistWindow.h"
#include "windows/Splash.h"
#include "windows/TitleStrip.h"
#include "windows/Toolbar.h"
#include "windows/TrayIcon.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

namespace quarn {

// What the player takes from the world outside its windows: the real things
// in the program, stand-ins in tests.
struct PlayerServices {
    // A media engine drawing into the given native window (0: sound only).
    std::function<std::unique_ptr<MediaEngine>(WId videoWindow)> makeEngine;
    platform::ScreenSaverSwitch* screenSaver = nullptr;
    // A message box with one OK button; the detail, if any, goes under the text.
    std::function<void(const QString& text, const QString& title, const QString& detail)> message;
    std::unique_ptr<FileDialogBackend> fileDialogs;
    // Where the intro and the About box's frame pictures are.
    QString programDirectory;
    // Where the settings, the queue, the resume positions, the recent files
    // and the screenshots are kept ("" keeps nothing there).
    SessionPaths paths;
    // Told when the program is to end, before anything winds down.
    std::function<void()> exiting;
    // The folders of the bundled skins, and where the user installs skins.
    QStringList skinFolders;
    QString userSkinFolder;
    // The skin and size asked for this run (the command line's); "" for the kept ones.
    QString skin;
    QString skinSize;
};

// The skin the windows are drawn in, and at what size.
struct SkinInUse {
    Skin skin;
    QString choice;       // as kept in the settings: a skin's id, or its path
    double size = 0;      // as chosen: 1, 1.5, 2, or 0 for the screen's own
    double scale = 1;     // as shown
    QStringList problems; // skins that could not be used at start-up, to be told
};

// The player's composition root: it builds the main window, the engine
// drawing into it, the playback session, the title strip, the toolbar, the
// splash and the tray icon, in this order, puts the windows in one group,
// and connects them. It decides nothing of playback itself.
class Player : public QObject {
    Q_OBJECT
public:
    explicit Player(PlayerServices services);
    ~Player() override;

    // Without files, the splash comes up with its intro and gives way to the
    // player's windows when the intro ends or is clicked away. With files
    // (folders stand for their media files) the player's windows come up at
    // once and the files play one after the other.
    void Start(const QStringList& files = {});
    // Files and folders to play from now on, in place of the queue.
    void PlayFiles(const QStringList& files);
    // What another launch handed over: files to play (or, with `enqueue`, to
    // add to the end of the queue); the player comes to the front.
    void TakeHandOver(const QStringList& files, bool enqueue);
    // Files to play in place of the queue, asked for from outside (the
    // desktop's media controls): the caller is answered at once, and of many
    // asked for in a burst only the last, which replaces the others, plays.
    void RequestFiles(const QStringList& files);
    // The Open dialog; the chosen file plays.
    void Open();
    // Ends the program at once.
    void Exit();
    // Brings the main window to the front (out of the taskbar's minimised
    // state) where it is.
    void Raise();
    void ShowAbout();
    // Draws every window in this skin (a bundled or installed skin's id, or
    // a path), at this size (0: the screen's own), while whatever plays goes
    // on; a skin that cannot be used is refused with a message and the
    // current one stays. Kept for the next run unless `forThisRun`.
    bool UseSkin(const QString& skin, double size, bool forThisRun = false);
    const SkinInUse& SkinShown() const { return skin_; }

    PlaybackSession& Session() { return *session_; }
    WindowGroup& Group() { return group_; }
    MainWindow& Main() { return main_; }
    TitleStrip& Title() { return title_; }
    PlaylistWindow& Playlist() { return playlist_; }
    Toolbar& Bar() { return bar_; }
    Splash& StartWindow() { return splash_; }
    TrayIcon& Tray() { return tray_; }
    Cmdlg& FileDialog() { return fileDialog_; }
    CommandTable& Commands() { return commands_; }
    // The picture's menu shown last; null before the first.
    QMenu* PictureMenuShown() { return pictureMenu_.Menu(); }
    AboutBox* About() { return about_.get(); }
    EffectsMenu& Effects();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectWindows();
    void connectCommands();
    ActionLookup actionLookup();
    void showPictureMenu(QPoint at);
    void loadSubtitleFile();
    void showNotice(const QString& text, int ms = 0);
    void playingChanged();
    void showPlaylist(bool shown);
    // The group's windows stay above the others, or not, as the settings say.
    void keepAbove();
    void addToQueue(int row, bool folder);
    void saveQueue();
    void queueChanged();
    bool isPlayerWindow(const QObject* object) const;
    void showPlayer(bool afterIntro);
    void activateAgain(const QWidget* asking);
    void reportProblem(const PlaybackProblem& problem);

    void showSkinsFolder();
    void openSkin();

    PlayerServices services_;
    SkinInUse skin_;
    CommandTable commands_;
    MainWindow main_;
    std::unique_ptr<PlaybackSession> session_;
    TitleStrip title_;
    Toolbar bar_;
    QueueModel queueModel_;
    PlaylistWindow playlist_;
    WindowGroup group_;
    Splash splash_;
    std::unique_ptr<MediaEngine> intro_;
    TrayIcon tray_;
    platform::TrayHostWatch trayHost_;
    Cmdlg fileDialog_;
    std::unique_ptr<EffectsMenu> effects_;
    std::unique_ptr<AboutBox> about_;
    PictureMenu pictureMenu_{commands_};
    std::unique_ptr<FocusRing> focusRing_;
    std::vector<SkinEntry> listedSkins_; // as the picture's menu listed them last
    QStringList requested_;
    QTimer playRequested_;
    bool playerShown_ = false;
};

} // namespace quarn
