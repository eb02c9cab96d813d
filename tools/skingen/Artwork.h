#pragma once

#include <QImage>

// The splash, the About box and its pictures.
namespace skingen {

QImage SplashPicture();
QImage AboutPicture();
// The About animation's start picture, and its frames 1 to 4.
QImage AboutPicture1();
QImage AboutFrame(int frame);
QImage AboutPicture2();

} // namespace skingen
