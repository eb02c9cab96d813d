#pragma once

// The program's windows, one global instance each, created (and loaded) the
// first time something refers to them and kept until the program ends.

#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace quarn {

class FrmMain;
class Toolbar;
class SongName;
class Splash;
class Menus;
class FrmAbout;
class MediaEngine;

FrmMain& frmMain();
Toolbar& toolbar();
SongName& songName();
Splash& splash();
Menus& menus();
FrmAbout& frmAbout();

// Whether a window exists yet, without creating it.
enum class Window { FrmMain, Toolbar, SongName, Splash, Menus, FrmAbout };
bool IsLoaded(Window window);

// Destroys every window (without running any close handling), the last first.
// Used when the program ends, and by tests between cases.
void UnloadAll();

// What the windows get from outside the toolkit. Each defaults to the real
// thing; tests put stand-ins in their place.
struct Services {
    // A media engine drawing into the given display widget (nullptr: sound only).
    std::function<std::unique_ptr<MediaEngine>(QWidget* display)> createEngine;
    // A modal message box with one OK button; the detail, if any, is shown
    // under the text in smaller print.
    std::function<void(const QString& text, const QString& title, const QString& detail)>
        messageBox;
    // Switches the system's screen saver on (true) or holds it off (false).
    std::function<void(bool active)> setScreenSaver;
};
Services& services();
// Puts the real services back.
void ResetServices();

} // namespace quarn
