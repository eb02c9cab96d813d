#pragma once

#include "widgets/ClickDetector.h"
#include "widgets/Skin.h"

#include <QAbstractButton>
#include <QAction>
#include <functional>

namespace quarn {

// The action a skin's button gives, by the command's name in the manifest
// ("play", "open"...); null for a name the player does not know.
using ActionLookup = std::function<QAction*(const QString& command)>;

// A skinned button: a picture cut to its outline that gives one command. A
// click of any mouse button on it (press and release on it) clicks it, as
// the skins' buttons always have; it takes the keyboard focus by Tab, shows
// it with a mark in the skin's colour, and Space or Enter press it. It shows
// its pressed picture while held down, its disabled picture while disabled,
// and its active picture while the command it gives is on (a play/pause
// button while something plays), where the skin has them.
class PictureButton : public QAbstractButton {
    Q_OBJECT
public:
    PictureButton(QWidget* parent, const QString& name);

    // The button's pictures at the size they are shown, from the skin; it
    // takes its normal picture's size and outline.
    void SetLook(const Skin& skin, const SkinButton& button, const KeyRule& key, double scale);
    // The action it gives: a click triggers it, and the button is enabled,
    // shows its active picture and is named (its tool tip, what a screen
    // reader says) as the action is.
    void SetAction(QAction* action);
    QAction* Action() const { return action_; }
    // Whether the command it gives is on.
    void SetActive(bool active);
    bool Active() const { return active_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QImage normal_, pressed_, disabled_, activePicture_;
    QColor focus_;
    int focusWidth_ = 1;
    bool active_ = false;
    QAction* action_ = nullptr;
    // The focus is marked only where it came by the keyboard: a window made
    // active by a click gives its first button the focus, unmarked.
    bool focusMarked_ = false;
    ClickDetector click_;
};

} // namespace quarn
