#pragma once

class QWidget;

namespace quarn {

// Tells screen readers that a frameless widget is a window of its own (the
// toolkit would call it a "filler"), under its accessible name.
void MarkAsWindow(QWidget& window);

} // namespace quarn
