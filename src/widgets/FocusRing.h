#pragma once

#include <QObject>
#include <functional>
#include <vector>

class QFocusEvent;
class QWidget;

namespace quarn {

// Tab and Shift+Tab go round the player's controls across its windows (the
// main window, the toolbar, the playlist): past the last control of one
// window, the next window comes to the front with its first control focused.
// Installed on the application; it acts on key presses in the given windows.
class FocusRing : public QObject {
    Q_OBJECT
public:
    // The controls in their order as things are now (those hidden, disabled
    // or not taking the focus by Tab are passed over).
    using Controls = std::function<std::vector<QWidget*>()>;

    FocusRing(std::vector<QWidget*> windows, Controls controls);
    ~FocusRing() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void windowActivated(QWidget& window);

    std::vector<QWidget*> windows_;
    Controls controls_;
};

// Whether a control that got the focus shows its mark: unless a click gave
// it (a window made active keeps the focus itself, see above).
bool FocusCameByKeyboard(QWidget& control, const QFocusEvent& event);

} // namespace quarn
