#pragma once

// The starting design of every window: sizes, captions, colours, fonts,
// element positions and timers. Positions and sizes are twips (15 to a
// pixel); colours are colour words (red in the low byte).

#include "common/ColourWord.h"

namespace quarn::design {

struct Element {
    int left;
    int top;
    int width;
    int height;
};

struct Font {
    const char* family;   // the face the design asks for
    const char* fallback; // a face of the same kind where that one is missing
    double pointSize;
    bool bold;
    bool italic;
};

inline constexpr Font kSansSerif825Bold{"MS Sans Serif", "DejaVu Sans", 8.25, true, false};
inline constexpr Font kSansSerif825BoldItalic{"MS Sans Serif", "DejaVu Sans", 8.25, true, true};
inline constexpr Font kSansSerif975BoldItalic{"MS Sans Serif", "DejaVu Sans", 9.75, true, true};
inline constexpr Font kComic825Bold{"Comic Sans MS", "Comic Neue", 8.25, true, false};
inline constexpr Font kComic975Bold{"Comic Sans MS", "Comic Neue", 9.75, true, false};

namespace frmMain {
inline constexpr const char* kCaption = "QUARN Media Player";
inline constexpr int kClientWidth = 3810;
inline constexpr int kClientHeight = 3210;
inline constexpr ColourWord kBackColour = MakeColourWord(0, 0, 0);
inline constexpr ColourWord kForeColour = MakeColourWord(0, 255, 0);
inline constexpr Element kTheShow{120, 120, 3585, 2715};
inline constexpr Element kHScroll1{120, 3000, 3615, 135};
inline constexpr Element kPicture3{120, 3360, 3840, 4485};
inline constexpr const char* kPicture3Picture = ":/skins/tile.png";
inline constexpr int kTimer1Interval = 1; // as often as the system timer allows
inline constexpr int kTimer2Interval = 100;
inline constexpr Element kCMDLG{240, 2040, 720, 705};
inline constexpr Element kDLGs1{1080, 2040, 720, 720};
} // namespace frmMain

namespace toolbar {
inline constexpr const char* kCaption = "Form1";
inline constexpr int kClientWidth = 3645;
inline constexpr int kClientHeight = 690;
inline constexpr Element kPToolbar{0, 0, 3660, 690};
inline constexpr const char* kPToolbarPicture = ":/skins/toolbar.png";
struct Button {
    const char* name;
    Element element;
    const char* picture;
    const char* toolTip;
};
inline constexpr Button kPlay{"Play", {360, 120, 255, 315}, ":/skins/play.png", "Play"};
inline constexpr Button kPause{"Pause", {600, 120, 255, 315}, ":/skins/pause.png", "Pause"};
inline constexpr Button kStop{"mStop", {840, 120, 255, 315}, ":/skins/stop.png", "Stop"};
inline constexpr Button kOpen{"mOpen", {2520, 120, 255, 315}, ":/skins/open.png", "Open..."};
inline constexpr Button kScreenSavers{
    "ScreenSavers", {2760, 120, 255, 315}, ":/skins/effects.png", "Screen Effects"};
inline constexpr Button kOptions{"Options", {3000, 120, 255, 315}, ":/skins/exit.png", "Exit"};
inline constexpr Element kTime{1200, 180, 1215, 255};
inline constexpr const char* kTimeCaption = "00:00/00:00";
inline constexpr ColourWord kTimeColour = MakeColourWord(255, 0, 0);
inline constexpr Font kTimeFont = kSansSerif825Bold;
} // namespace toolbar

namespace songName {
inline constexpr const char* kCaption = "Form1";
inline constexpr int kClientWidth = 3720;
inline constexpr int kClientHeight = 615;
inline constexpr Element kPicMainSkin{0, 0, 3720, 645};
inline constexpr const char* kPicMainSkinPicture = ":/skins/songname.png";
inline constexpr Element kLabel1{135, 180, 3375, 225};
inline constexpr ColourWord kLabel1Colour = MakeColourWord(255, 0, 0);
inline constexpr Font kLabel1Font = kSansSerif825BoldItalic;
} // namespace songName

namespace splash {
inline constexpr const char* kCaption = "Intro";
inline constexpr int kClientWidth = 6390;
inline constexpr int kClientHeight = 6240;
inline constexpr const char* kPicture = ":/skins/splash.jpg";
inline constexpr Element kIntro{1650, 6135, 3585, 2685};
inline constexpr Element kLabel1{2280, 5280, 1815, 495};
inline constexpr const char* kLabel1Caption = "Media Player";
inline constexpr ColourWord kLabel1Colour = MakeColourWord(255, 0, 0);
inline constexpr Font kLabel1Font = kSansSerif975BoldItalic;
} // namespace splash

namespace theMelter {
inline constexpr const char* kCaption = "";
inline constexpr int kClientWidth = 4800;
inline constexpr int kClientHeight = 3000;
inline constexpr ColourWord kBackColour = MakeColourWord(0, 0, 0);
inline constexpr ColourWord kForeColour = MakeColourWord(255, 255, 255);
} // namespace theMelter

namespace menus {
inline constexpr const char* kCaption = "Menu";
inline constexpr int kClientWidth = 4680;
inline constexpr int kClientHeight = 3090;
inline constexpr const char* kIcon = ":/skins/menus.ico";
inline constexpr const char* kMnuSavers = "S_Saver";
inline constexpr const char* kMelter = "Melter";
inline constexpr const char* kAbout = "About...";
} // namespace menus

namespace frmAbout {
inline constexpr const char* kCaption = "About...";
inline constexpr int kClientWidth = 5370;
inline constexpr int kClientHeight = 6030;
inline constexpr const char* kPicture = ":/skins/about.png";
inline constexpr ColourWord kLabelColour = MakeColourWord(128, 255, 255);
inline constexpr Element kPicture1{600, 600, 1650, 2220};
inline constexpr const char* kPicture1Picture = ":/skins/about-picture1.png";
inline constexpr Element kPicture2{1200, 3120, 2910, 1215};
inline constexpr const char* kPicture2Picture = ":/skins/about-picture2.png";
inline constexpr Element kLabel3{2280, 600, 2535, 2175};
inline constexpr Font kLabel3Font = kComic825Bold;
inline constexpr Element kLabel1{720, 4560, 2055, 375};
inline constexpr const char* kLabel1Caption = "Windows Version";
inline constexpr Element kMyWinVer{2880, 4560, 1815, 375};
inline constexpr Element kLabel2{720, 5040, 3975, 375};
inline constexpr const char* kLabel2Caption = "OK";
inline constexpr Font kLabelFont = kComic975Bold;
inline constexpr int kTimer1Interval = 200;
} // namespace frmAbout

inline constexpr const char* kProgramIcon = ":/skins/quarn.ico";
// The program's own title, as message boxes show it.
inline constexpr const char* kApplicationTitle = "QUARN Media Player";

} // namespace quarn::design
