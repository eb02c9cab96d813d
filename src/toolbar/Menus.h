#pragma once

#include <QAction>
#include <QMenu>
#include <QWidget>
#include <array>
#include <cstdint>

namespace quarn {

// The never-shown window that owns the screen-effects menu, which the
// toolbar pops up: "Melter" (the melt effect) and "About..." (the About box).
class Menus : public QWidget {
    Q_OBJECT
public:
    Menus();
    void Load() {}

    QMenu& mnuSavers() { return *mnuSavers_; }
    QAction& mnuSaverItems(int index) { return *items_.at(static_cast<std::size_t>(index)); }

    // Pops the menu up at a point on the screen; returns when it closes, after
    // the chosen item (if any) has been handled.
    void PopupSavers(QPoint at);

    // The items' shared handler. Failures inside it are swallowed: the menu
    // simply closes.
    void mnuSaverItems_Click(std::int16_t index);

private:
    QMenu* mnuSavers_;
    std::array<QAction*, 2> items_{};
};

} // namespace quarn
