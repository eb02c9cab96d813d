#pragma once

#include "app/KeyMap.h"
#include "app/Settings.h"
#include "dialogs/Cmdlg.h"
#include "platform/ScreenSaver.h"
#include "platform/TrayHost.h"
#include "player/MainWindow.h"
#include "player/MediaEngine.h"
#include "player/PlayQueue.h"
#include "splash/AboutBox.h"
#include "splash/Splash.h"
#include "toolbar/EffectsMenu.h"
#include "toolbar/TitleStrip.h"
#include "toolbar/Toolbar.h"
#include "tray/TrayIcon.h"

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
    // Where the volume and the mute are kept between runs ("" keeps nothing).
    QString settingsPath;
};

// The player: it owns its windows, the tray icon and the media engine, builds
// them in this order, and connects them. The windows tell of what the user
// does; what that means for the engine, the screen saver and the other
// windows is decided here.
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

    // What the toolbar's buttons do.
    void Open();
    void OpenPath(const QString& path);
    void Play();
    void Pause();
    void Stop();
    void Exit();
    void PlayPause();
    void Next();
    void Previous();
    void SeekBy(int seconds);
    void ChangeVolume(int points);
    void ToggleMute();
    void ToggleFullScreen();
    // What a key does while one of the player's windows is active.
    void Do(const KeyAction& action);
    void SeekTo(double seconds);
    void SetVolume(int volume);
    // Brings the main window to the front (out of the taskbar's minimised
    // state) where it is.
    void Raise();

    // What plays, as the desktop's media controls see it.
    enum class Status { Playing, Paused, Stopped };
    Status PlaybackStatus() const;
    // The file or stream open or last played; "" for none.
    QString CurrentEntry() const { return engine_->FileName(); }
    // Counts the files opened: each new one is a new track.
    int TrackNumber() const { return track_; }

    // The parts, for those who look on (tests).
    MainWindow& Main() { return main_; }
    MediaEngine& Engine() { return *engine_; }
    TitleStrip& Title() { return title_; }
    Toolbar& Bar() { return bar_; }
    Splash& StartWindow() { return splash_; }
    TrayIcon& Tray() { return tray_; }
    Cmdlg& FileDialog() { return fileDialog_; }
    AboutBox* About() { return about_.get(); }
    const PlayQueue& Queue() const { return queue_; }
    EffectsMenu& Effects();
    void ShowAbout();

signals:
    // What plays changed: its state, the file, its tags or length, the queue.
    void playbackChanged();
    void volumeChanged();
    // A jump to another place in the file (seconds).
    void seeked(double seconds);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isPlayerWindow(const QObject* object) const;
    void openEntry(const QString& entry);
    void showVolume();
    void remember();
    void saveSettings();
    void showPlayer(bool afterIntro);
    void fileOpened();
    void refused(int code, const QString& reason);
    void ended();
    void failed(const QString& reason);
    void reportUnplayable(const QString& reason);
    void updateReadout();
    void restoreMain();
    void dockCompanions();

    PlayerServices services_;
    MainWindow main_;
    std::unique_ptr<MediaEngine> engine_;
    TitleStrip title_;
    Toolbar bar_;
    Splash splash_;
    std::unique_ptr<MediaEngine> intro_;
    TrayIcon tray_;
    platform::TrayHostWatch trayHost_;
    Cmdlg fileDialog_;
    std::unique_ptr<EffectsMenu> effects_;
    std::unique_ptr<AboutBox> about_;
    PlayQueue queue_;
    // Whether what is being opened came from the queue (and a refusal moves
    // on to the next entry) rather than from the Open dialog.
    bool fromQueue_ = false;
    PlayerSettings settings_;
    QTimer saveSettings_;
    bool playerShown_ = false;
    int track_ = 0;
};

} // namespace quarn
