#pragma once

#include <QMessageBox>
#include <QStringList>

namespace quarn {

// A message with its text, its title and one OK button that holds nothing
// up: it is shown without an event loop of its own, and the program goes on
// while it is up. A message that comes while one with the same text and
// title is up joins it, its detail one more line under the text, instead of
// stacking a box of its own; the lines are bounded, however many come.
class MessageWindow : public QMessageBox {
    Q_OBJECT
public:
    MessageWindow();

    void Show(const QString& text, const QString& title, const QString& detail);
    // The detail lines shown, the oldest first.
    QStringList Details() const { return details_; }

private:
    QStringList details_;
    int notShown_ = 0; // lines that came past the bound
};

} // namespace quarn
