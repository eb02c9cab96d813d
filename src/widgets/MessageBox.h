#pragma once

#include <QString>

namespace quarn {

// A message box with the text, the title and one OK button; the detail, if
// any, goes under the text in smaller print.
void ShowMessageBox(const QString& text, const QString& title, const QString& detail);

} // namespace quarn
