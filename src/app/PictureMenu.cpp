#include "app/PictureMenu.h"

namespace quarn {

namespace {

// A list of choices, one of them checked; `chosen` is told the id.
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

void PictureMenu::Popup(QPoint at, const MenuLists& lists) {
    if (menu_ != nullptr) {
        menu_->deleteLater();
    }
    menu_ = new QMenu();
    menu_->setObjectName(QStringLiteral("PictureMenu"));
    // In the skin's colours, submenus too.
    menu_->setStyleSheet(style_);
    QMenu& menu = *menu_;
    const CommandTable& c = commands_;
    menu.addAction(c[Command::Open]);

    QMenu* recent = menu.addMenu(QStringLiteral("&Recent files"));
    recent->setEnabled(!lists.recent.isEmpty());
    for (int i = 0; i < lists.recent.size(); ++i) {
        connect(recent->addAction(lists.recent.at(i)), &QAction::triggered, this,
                [this, i] { emit RecentChosen(i); });
    }

    QMenu* chapters = menu.addMenu(QStringLiteral("C&hapters"));
    chapters->setEnabled(!lists.chapters.empty());
    addChoices(*chapters, lists.chapters, [this](int index) { emit ChapterChosen(index); });
    chapters->addSeparator();
    chapters->addActions({c[Command::PreviousChapter], c[Command::NextChapter]});

    QMenu* subtitles = menu.addMenu(QStringLiteral("&Subtitles"));
    subtitles->setEnabled(lists.playing);
    std::vector<MenuChoice> subtitleChoices{{QStringLiteral("Off"), 0, true}};
    for (const MenuChoice& track : lists.subtitles) {
        subtitleChoices.front().checked = subtitleChoices.front().checked && !track.checked;
        subtitleChoices.push_back(track);
    }
    addChoices(*subtitles, subtitleChoices, [this](int id) { emit SubtitleChosen(id); });
    subtitles->addSeparator();
    subtitles->addAction(c[Command::LoadSubtitle]);

    QMenu* audio = menu.addMenu(QStringLiteral("&Audio"));
    audio->setEnabled(!lists.audio.empty());
    addChoices(*audio, lists.audio, [this](int id) { emit AudioChosen(id); });
    menu.addMenu(QStringLiteral("Replay&Gain"))->addActions(commands_.ReplayGains().actions());

    QMenu* timing = menu.addMenu(QStringLiteral("&Timing"));
    timing->setEnabled(lists.playing);
    timing->addActions({c[Command::SubtitleDelayDown], c[Command::SubtitleDelayUp],
                        c[Command::AudioDelayDown], c[Command::AudioDelayUp]});
    timing->addSeparator();
    timing->addActions({c[Command::SubtitlesLarger], c[Command::SubtitlesSmaller],
                        c[Command::SubtitlesHigher], c[Command::SubtitlesLower]});
    timing->addSeparator();
    timing->addAction(c[Command::ResetTimings]);

    QMenu* picture = menu.addMenu(QStringLiteral("P&icture"));
    picture->addMenu(QStringLiteral("&Aspect ratio"))
        ->addActions(commands_.AspectRatios().actions());
    picture->addMenu(QStringLiteral("&Deinterlace"))
        ->addActions(commands_.Deinterlacing().actions());
    picture->addSeparator();
    picture->addActions({c[Command::BrightnessUp], c[Command::BrightnessDown],
                         c[Command::ContrastUp], c[Command::ContrastDown], c[Command::SaturationUp],
                         c[Command::SaturationDown], c[Command::GammaUp], c[Command::GammaDown]});
    picture->addSeparator();
    picture->addAction(c[Command::ResetPicture]);

    menu.addMenu(QStringLiteral("S&peed"))->addActions(commands_.Speeds().actions());
    menu.addMenu(QStringLiteral("&Loop"))->addActions(commands_.Loops().actions());

    menu.addSeparator();
    menu.addAction(c[Command::FullScreen]);
    menu.addAction(c[Command::AlwaysOnTop]);
    menu.addAction(c[Command::Playlist]);
    menu.addAction(c[Command::Screenshot]);

    QMenu* skins = menu.addMenu(QStringLiteral("S&kins"));
    addChoices(*skins, lists.skins, [this](int id) { emit SkinChosen(id); });
    skins->addSeparator();
    skins->addActions(commands_.SkinSizes().actions());
    skins->addSeparator();
    skins->addAction(c[Command::OpenSkin]);
    skins->addAction(c[Command::SkinsFolder]);
    menu.popup(at);
}

} // namespace quarn
