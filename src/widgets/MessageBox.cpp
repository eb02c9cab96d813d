#include "widgets/MessageBox.h"

#include <QMessageBox>

namespace quarn {

void ShowMessageBox(const QString& text, const QString& title, const QString& detail) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok);
    box.setInformativeText(detail);
    box.exec();
}

} // namespace quarn
