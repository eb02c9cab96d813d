#include "widgets/PictureButton.h"

#include "widgets/FocusRing.h"

#include <QKeyEvent>
#include <QPainter>

namespace quarn {

PictureButton::PictureButton(QWidget* parent, const QString& name) : QAbstractButton(parent) {
    setObjectName(name);
    // Reached by Tab; a click does not move the focus (nor draw its mark).
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
}

void PictureButton::SetLook(const Skin& skin, const SkinButton& button, const KeyRule& key,
                            double scale) {
    const SkinPicture normal = skin.Picture(button.picture, key, scale);
    auto other = [&](const QString& file) {
        return file.isEmpty() ? QImage() : skin.Picture(file, key, scale).image;
    };
    normal_ = normal.image;
    pressed_ = other(button.pressed);
    disabled_ = other(button.disabled);
    activePicture_ = other(button.active);
    focus_ = skin.focus;
    focusWidth_ = std::max(1, Scaled(1, scale));
    setGeometry(QRect(Scaled(button.rect.topLeft(), scale), normal_.size()));
    if (normal.outline.isEmpty()) {
        clearMask();
    } else {
        setMask(normal.outline);
    }
    update();
}

void PictureButton::SetAction(QAction* action) {
    action_ = action;
    if (action == nullptr) {
        return;
    }
    connect(this, &QAbstractButton::clicked, action, &QAction::trigger);
    auto follow = [this, action] {
        setEnabled(action->isEnabled());
        SetActive(action->isCheckable() && action->isChecked());
        setToolTip(action->toolTip());
        setAccessibleName(action->toolTip());
    };
    connect(action, &QAction::changed, this, follow);
    follow();
}

void PictureButton::SetActive(bool active) {
    if (active != active_) {
        active_ = active;
        update();
    }
}

QSize PictureButton::sizeHint() const {
    return normal_.size();
}

void PictureButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QImage* shown = &normal_;
    if (!isEnabled() && !disabled_.isNull()) {
        shown = &disabled_;
    } else if (isDown() && !pressed_.isNull()) {
        shown = &pressed_;
    } else if (active_ && !activePicture_.isNull()) {
        shown = &activePicture_;
    }
    painter.drawImage(0, 0, *shown);
    if (hasFocus() && focusMarked_) {
        // A frame along the edges, cut to the button's outline like the rest.
        painter.setPen(QPen(focus_, focusWidth_));
        const qreal inset = focusWidth_ / 2.0;
        painter.drawRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset));
    }
}

void PictureButton::mousePressEvent(QMouseEvent* event) {
    click_.Pressed(*event);
    setDown(true);
    event->accept();
}

void PictureButton::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    setDown(false);
    if (click_.Released(*event, rect()) && isEnabled()) {
        click();
    }
}

void PictureButton::focusInEvent(QFocusEvent* event) {
    focusMarked_ = FocusCameByKeyboard(*this, *event);
    QAbstractButton::focusInEvent(event);
}

void PictureButton::focusOutEvent(QFocusEvent* event) {
    focusMarked_ = false;
    QAbstractButton::focusOutEvent(event);
}

bool PictureButton::event(QEvent* event) {
    // With the focus, Space and Enter press the button rather than give the
    // player's command of the same key.
    if (event->type() == QEvent::ShortcutOverride) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
            event->accept();
            return true;
        }
    }
    return QAbstractButton::event(event);
}

void PictureButton::keyPressEvent(QKeyEvent* event) {
    focusMarked_ = true;
    update();
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        animateClick();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

} // namespace quarn
