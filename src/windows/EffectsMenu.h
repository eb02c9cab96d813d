#pragma once

#include <QMenu>
#include <QWidget>

namespace quarn {

// The never-shown window that owns the screen-effects menu, which the
// toolbar pops up: "Melter" (the melt effect) and "About..." (the About box).
class EffectsMenu : public QWidget {
    Q_OBJECT
public:
    EffectsMenu();

    // Pops the menu up at a point on the screen; returns when it closes,
    // after telling of the chosen item, if any.
    void Popup(QPoint at);

    QMenu& Menu() { return *menu_; }

signals:
    void MeltChosen();
    void AboutChosen();

private:
    QMenu* menu_;
    QAction* melter_;
    QAction* about_;
};

} // namespace quarn
