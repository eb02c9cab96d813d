#pragma once

#include <QImage>

// The 48 x 48 icons and the dialog components' pictures, as straight ARGB32 art.
namespace skingen {

// The program's icon; other sizes (the desktop's icon theme) are the same art.
QImage ProgramIconArt(int size = 48);
// The sizes of the program's icon in the desktop's icon theme.
inline constexpr int kDesktopIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
QImage MenusIconArt();
QImage FileDialogArt();
QImage DialogsArt();

} // namespace skingen
