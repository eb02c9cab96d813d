#include "widgets/SeekBar.h"

#include "widgets/FocusRing.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

namespace quarn {

namespace {

// A seek bar as screen readers know it: a slider, whose value they read and
// set (which seeks).
class SeekBarAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit SeekBarAccessible(SeekBar* bar) : QAccessibleWidget(bar, QAccessible::Slider) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ValueInterface ? static_cast<QAccessibleValueInterface*>(this)
                                                   : QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Value ? QString::number(bar()->value())
                                          : QAccessibleWidget::text(kind);
    }
    QVariant currentValue() const override { return bar()->value(); }
    void setCurrentValue(const QVariant& value) override { bar()->JumpTo(value.toInt()); }
    QVariant maximumValue() const override { return bar()->maximum(); }
    QVariant minimumValue() const override { return bar()->minimum(); }
    QVariant minimumStepSize() const override { return 1; }

private:
    SeekBar* bar() const { return static_cast<SeekBar*>(widget()); }
};

QAccessibleInterface* seekBarAccessible(const QString&, QObject* object) {
    auto* bar = qobject_cast<SeekBar*>(object);
    return bar != nullptr ? new SeekBarAccessible(bar) : nullptr;
}

} // namespace

SeekBar::SeekBar(QWidget* parent) : QScrollBar(Qt::Horizontal, parent) {
    static const bool installed = [] {
        QAccessible::installFactory(seekBarAccessible);
        return true;
    }();
    (void)installed;
    setRange(0, 0);
    setPageStep(1);
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(QStringLiteral("Position"));
}

void SeekBar::SetMarks(const QList<double>& seconds, const QColor& colour) {
    marks_ = seconds;
    markColour_ = colour;
    update();
}

void SeekBar::JumpTo(int seconds) {
    setValue(seconds);
    emit JumpRequested(value());
}

bool SeekBar::event(QEvent* event) {
    // With the focus, its own keys move it rather than give the player's
    // commands of those keys.
    if (event->type() == QEvent::ShortcutOverride) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
            event->accept();
            return true;
        default:
            break;
        }
    }
    return QScrollBar::event(event);
}

void SeekBar::keyPressEvent(QKeyEvent* event) {
    focusMarked_ = true;
    const int steps[][2] = {
        {Qt::Key_Left, -5}, {Qt::Key_Right, 5}, {Qt::Key_PageUp, -60}, {Qt::Key_PageDown, 60}};
    for (const auto& [key, by] : steps) {
        if (event->key() == key) {
            if (isEnabled()) {
                JumpTo(value() + by);
            }
            return;
        }
    }
    if (event->key() == Qt::Key_Home || event->key() == Qt::Key_End) {
        if (isEnabled()) {
            JumpTo(event->key() == Qt::Key_Home ? minimum() : maximum());
        }
        return;
    }
    QScrollBar::keyPressEvent(event);
}

void SeekBar::focusInEvent(QFocusEvent* event) {
    focusMarked_ = FocusCameByKeyboard(*this, *event);
    QScrollBar::focusInEvent(event);
}

void SeekBar::paintEvent(QPaintEvent* event) {
    QScrollBar::paintEvent(event);
    if (!marks_.isEmpty() && maximum() > 0) {
        // Where the thumb's middle stands at each place, as on the track it runs on.
        QStyleOptionSlider option;
        initStyleOption(&option);
        auto part = [&](QStyle::SubControl control) {
            return style()->subControlRect(QStyle::CC_ScrollBar, &option, control, this);
        };
        const QRect thumb = part(QStyle::SC_ScrollBarSlider);
        const QRect track =
            part(QStyle::SC_ScrollBarSubPage) | thumb | part(QStyle::SC_ScrollBarAddPage);
        QPainter painter(this);
        const int width = std::max(2, height() / 4);
        for (const double at : marks_) {
            if (at <= 0 || at >= maximum()) {
                continue; // the ends need no mark
            }
            const int x = track.left() + thumb.width() / 2 +
                          QStyle::sliderPositionFromValue(minimum(), maximum(), int(at),
                                                          track.width() - thumb.width());
            painter.fillRect(x - width / 2, 0, width, height(), markColour_);
        }
    }
    if (hasFocus() && focusMarked_) {
        QPainter painter(this);
        painter.setPen(focusColour_);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void SeekBar::mousePressEvent(QMouseEvent* event) {
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QStyle::SubControl hit = style()->hitTestComplexControl(
        QStyle::CC_ScrollBar, &option, event->position().toPoint(), this);
    // The thumb drags and the arrows step as ever; anywhere else on the track jumps.
    if (event->button() != Qt::LeftButton || !isEnabled() || hit == QStyle::SC_ScrollBarSlider ||
        hit == QStyle::SC_ScrollBarAddLine || hit == QStyle::SC_ScrollBarSubLine ||
        hit == QStyle::SC_None) {
        QScrollBar::mousePressEvent(event);
        return;
    }
    // A click on the track: the place clicked, along the track the thumb runs on.
    auto part = [&](QStyle::SubControl control) {
        return style()->subControlRect(QStyle::CC_ScrollBar, &option, control, this);
    };
    const QRect thumb = part(QStyle::SC_ScrollBarSlider);
    const QRect track =
        part(QStyle::SC_ScrollBarSubPage) | thumb | part(QStyle::SC_ScrollBarAddPage);
    const int at = int(event->position().x()) - track.left() - thumb.width() / 2;
    const int value =
        QStyle::sliderValueFromPosition(minimum(), maximum(), at, track.width() - thumb.width());
    setValue(value);
    event->accept();
    emit JumpRequested(value);
}

} // namespace quarn
