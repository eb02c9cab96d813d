#include "widgets/MessageBox.h"

namespace quarn {

namespace {
constexpr int kMostLines = 8;
} // namespace

MessageWindow::MessageWindow() : QMessageBox(QMessageBox::NoIcon, QString(), QString(), Ok) {
    setModal(false);
    setWindowModality(Qt::NonModal);
}

void MessageWindow::Show(const QString& text, const QString& title, const QString& detail) {
    if (!isVisible() || text != this->text() || title != windowTitle()) {
        details_.clear();
        notShown_ = 0;
        setText(text);
        setWindowTitle(title);
    }
    if (!detail.isEmpty() && !details_.contains(detail)) {
        details_ << detail;
        if (details_.size() > kMostLines) {
            details_.removeFirst();
            ++notShown_;
        }
    }
    QString lines = details_.join(QLatin1Char('\n'));
    if (notShown_ > 0) {
        lines = tr("... and %n more\n", nullptr, notShown_) + lines;
    }
    setInformativeText(lines);
    show();
    // In front, with the keys: Return dismisses it.
    raise();
    activateWindow();
}

} // namespace quarn
