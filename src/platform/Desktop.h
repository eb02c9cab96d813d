#pragma once

// The little the player needs from the desktop beyond what the toolkit offers.

#include <QString>

class QWidget;

namespace quarn::platform {

// Brings the program's visible top-level window with exactly this caption to
// the front and gives it the focus. False when there is none.
bool ActivateWindowByTitle(const QString& title);

// The folder of the files the program reads at run time (the intro sound, the
// About animation's frames). For a program in `programFolder`: that folder
// when the files are beside it (as in the build tree), else the installed
// data folder <prefix>/share/quarn-media-player when there is one, else the
// program's folder all the same.
QString DataDirectoryFor(const QString& programFolder);
// DataDirectoryFor() of the running program's folder.
QString DataDirectory();

} // namespace quarn::platform
