#pragma once

#include <QImage>

// The 48 x 48 icons and the dialog components' pictures, as straight ARGB32 art.
namespace skingen {

QImage programIconArt();
QImage menusIconArt();
QImage fileDialogArt();
QImage dialogsArt();

} // namespace skingen
