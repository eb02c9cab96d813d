#pragma once

#include <QMenu>
#include <QStringList>
#include <vector>

namespace quarn {

// One entry of a list to choose from: a track, a speed.
struct MenuChoice {
    QString label;
    int id = 0;
    bool checked = false;
};

// What the picture's menu offers, as things are when it opens.
struct PictureMenuState {
    QStringList recent; // readable names, the most recent first
    std::vector<MenuChoice> subtitles;
    std::vector<MenuChoice> audio;
    double speed = 1.0;
    int loop = 0; // off, this file, the queue
    bool fullScreen = false;
    bool playlistShown = false;
    bool playing = false; // a file is open
};

// The menu a right click on the picture opens: Open..., the recent files,
// subtitles, audio, speed, loop, full screen, the playlist and a screenshot.
// It holds nothing up: it pops up and tells of the choice through a signal.
class PictureMenu : public QObject {
    Q_OBJECT
public:
    ~PictureMenu() override;
    void Popup(QPoint at, const PictureMenuState& state);
    // The menu shown last; null before the first.
    QMenu* Menu() { return menu_; }

    static constexpr double kSpeeds[] = {0.5, 0.75, 1.0, 1.25, 1.5, 2.0};

signals:
    void OpenChosen();
    void RecentChosen(int index);
    void SubtitleChosen(int id); // 0: off
    void LoadSubtitleChosen();
    void AudioChosen(int id);
    void SpeedChosen(double factor);
    void LoopChosen(int loop);
    void FullScreenChosen();
    void PlaylistChosen();
    void ScreenshotChosen();

private:
    QMenu* menu_ = nullptr; // made anew, with its submenus, each time
};

} // namespace quarn
