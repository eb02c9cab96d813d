#include "windows/PictureMenu.h"

#include <QActionGroup>

namespace quarn {

namespace {

// A submenu of choices, one of them checked; `chosen` is told the id.
template <typename Chosen>
void addChoices(QMenu& menu, const std::vector<MenuChoice>& choices, Chosen chosen) {
    auto* group = new QActionGroup(&menu);
    for (const MenuChoice& choice : choices) {
        QAction* action = menu.addAction(choice.label);
        action->setCheckable(true);
        action->setChecked(choice.checked);
        group->addAction(action);
        QObject::connect(action, &QAction::triggered, &menu,
                         [chosen, id = choice.id] { chosen(id); });
    }
}

} // namespace

PictureMenu::~PictureMenu() {
    delete menu_;
}

void PictureMenu::Popup(QPoint at, const PictureMenuState& state) {
    if (menu_ != nullptr) {
        menu_->deleteLater();
    }
    menu_ = new QMenu();
    menu_->setObjectName(QStringLiteral("PictureMenu"));
    // In the skins' colours, submenus too.
    menu_->setStyleSheet(
        QStringLiteral("QMenu { background: #0b1522; color: #a9cbe6; border: 1px solid #5895c1; }"
                       "QMenu::item { padding: 3px 24px 3px 22px; }"
                       "QMenu::item:selected { background: #5895c1; color: #0b1522; }"
                       "QMenu::item:disabled { color: #3a5268; }"
                       "QMenu::separator { height: 1px; background: #1d3550; margin: 3px 6px; }"));
    QMenu& menu = *menu_;
    connect(menu.addAction(QStringLiteral("Open...")), &QAction::triggered, this,
            &PictureMenu::OpenChosen);

    QMenu* recent = menu.addMenu(QStringLiteral("Recent files"));
    recent->setEnabled(!state.recent.isEmpty());
    for (int i = 0; i < state.recent.size(); ++i) {
        connect(recent->addAction(state.recent.at(i)), &QAction::triggered, this,
                [this, i] { emit RecentChosen(i); });
    }

    QMenu* subtitles = menu.addMenu(QStringLiteral("Subtitles"));
    subtitles->setEnabled(state.playing);
    std::vector<MenuChoice> subtitleChoices{{QStringLiteral("Off"), 0, true}};
    for (const MenuChoice& track : state.subtitles) {
        subtitleChoices.front().checked = subtitleChoices.front().checked && !track.checked;
        subtitleChoices.push_back(track);
    }
    addChoices(*subtitles, subtitleChoices, [this](int id) { emit SubtitleChosen(id); });
    subtitles->addSeparator();
    connect(subtitles->addAction(QStringLiteral("Load subtitle file...")), &QAction::triggered,
            this, &PictureMenu::LoadSubtitleChosen);

    QMenu* audio = menu.addMenu(QStringLiteral("Audio"));
    audio->setEnabled(!state.audio.empty());
    addChoices(*audio, state.audio, [this](int id) { emit AudioChosen(id); });

    QMenu* speed = menu.addMenu(QStringLiteral("Speed"));
    std::vector<MenuChoice> speeds;
    for (size_t i = 0; i < std::size(kSpeeds); ++i) {
        speeds.push_back(
            {kSpeeds[i] == 1.0 ? QStringLiteral("Normal") : QStringLiteral("%1x").arg(kSpeeds[i]),
             int(i), std::abs(state.speed - kSpeeds[i]) < 1e-6});
    }
    addChoices(*speed, speeds, [this](int i) { emit SpeedChosen(kSpeeds[i]); });

    QMenu* loop = menu.addMenu(QStringLiteral("Loop"));
    addChoices(*loop,
               {{QStringLiteral("Off"), 0, state.loop == 0},
                {QStringLiteral("This file"), 1, state.loop == 1},
                {QStringLiteral("The queue"), 2, state.loop == 2}},
               [this](int mode) { emit LoopChosen(mode); });

    menu.addSeparator();
    QAction* fullScreen = menu.addAction(QStringLiteral("Full screen"));
    fullScreen->setCheckable(true);
    fullScreen->setChecked(state.fullScreen);
    connect(fullScreen, &QAction::triggered, this, &PictureMenu::FullScreenChosen);
    QAction* playlist = menu.addAction(QStringLiteral("Playlist"));
    playlist->setCheckable(true);
    playlist->setChecked(state.playlistShown);
    connect(playlist, &QAction::triggered, this, &PictureMenu::PlaylistChosen);
    QAction* screenshot = menu.addAction(QStringLiteral("Screenshot"));
    screenshot->setEnabled(state.playing);
    connect(screenshot, &QAction::triggered, this, &PictureMenu::ScreenshotChosen);
    menu.popup(at);
}

} // namespace quarn
