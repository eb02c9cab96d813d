#pragma once

#include <QMenu>
#include <QWidget>

namespace quarn {

// The never-shown window that owns the screen-effects menu, which the
// toolbar pops up: "Melter" (the melt effect) and "About..." (the About box),
// the player's two actions of those names.
class EffectsMenu : public QWidget {
    Q_OBJECT
public:
    EffectsMenu(QAction* melter, QAction* about);

    // Pops the menu up at a point on the screen; returns when it closes,
    // after the chosen action, if any, has run.
    void Popup(QPoint at);

    QMenu& Menu() { return *menu_; }

private:
    QMenu* menu_;
};

} // namespace quarn
