#pragma once

#include <QImage>

// The 48 x 48 icons and the dialog components' pictures, as straight ARGB32 art.
namespace skingen {

// The program's icon; other sizes (the desktop's icon theme) are the same art.
QImage programIconArt(int size = 48);
// The sizes of the program's icon in the desktop's icon theme.
inline constexpr int desktopIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
QImage menusIconArt();
QImage fileDialogArt();
QImage dialogsArt();

} // namespace skingen
