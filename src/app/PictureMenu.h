#pragma once

#include "app/Commands.h"

#include <QMenu>
#include <QStringList>
#include <vector>

namespace quarn {

// One entry of a list to choose from in a menu: a track, a skin.
struct MenuChoice {
    QString label;
    int id = 0;
    bool checked = false;
};

// What the picture's menu lists besides the player's commands, as things are
// when it opens.
struct MenuLists {
    QStringList recent; // readable names, the most recent first
    std::vector<MenuChoice> subtitles;
    std::vector<MenuChoice> audio;
    std::vector<MenuChoice> skins;
    std::vector<MenuChoice> chapters; // their titles and starts, the current one checked
    bool playing = false;             // a file is open
};

// The menu a right click on the picture (or the Menu key) opens, made of the
// player's actions: Open..., the recent files, chapters, subtitles, audio,
// ReplayGain, timing, the picture, speed, loop, full screen, always on top,
// the playlist, a screenshot and the skins with their sizes. Its
// ticks and disabled entries are the actions' own. It holds nothing up: it
// pops up and tells of a choice from its lists through a signal.
class PictureMenu : public QObject {
    Q_OBJECT
public:
    explicit PictureMenu(CommandTable& commands) : commands_(commands) {}
    ~PictureMenu() override;
    void Popup(QPoint at, const MenuLists& lists);
    // The menu shown last; null before the first.
    QMenu* Menu() { return menu_; }
    // The menu's style sheet (the skin's colours).
    void SetStyle(const QString& style) { style_ = style; }

signals:
    void RecentChosen(int index);
    void SubtitleChosen(int id); // 0: off
    void AudioChosen(int id);
    void SkinChosen(int id);
    void ChapterChosen(int index);

private:
    CommandTable& commands_;
    QMenu* menu_ = nullptr; // made anew, with its submenus, each time
    QString style_;
};

} // namespace quarn
