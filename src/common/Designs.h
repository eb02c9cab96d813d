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

inline constexpr Font kSansSerif975BoldItalic{"MS Sans Serif", "DejaVu Sans", 9.75, true, true};
inline constexpr Font kComic825Bold{"Comic Sans MS", "Comic Neue", 8.25, true, false};
inline constexpr Font kComic975Bold{"Comic Sans MS", "Comic Neue", 9.75, true, false};

// The main window, the title strip and the toolbar take their pictures,
// sizes, element places, colours and fonts from the skin in use; what is
// left of their designs is here.
namespace frmMain {
inline constexpr const char* kCaption = "QUARN Media Player";
inline constexpr ColourWord kBackColour = MakeColourWord(0, 0, 0);
inline constexpr ColourWord kForeColour = MakeColourWord(0, 255, 0);
inline constexpr int kTimer1Interval = 1; // as often as the system timer allows
inline constexpr int kTimer2Interval = 100;
} // namespace frmMain

namespace toolbar {
inline constexpr const char* kCaption = "Form1";
inline constexpr const char* kTimeCaption = "00:00/00:00";
} // namespace toolbar

namespace songName {
inline constexpr const char* kCaption = "Form1";
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
