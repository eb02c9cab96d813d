#pragma once

#include <QImage>

// The splash, the About box and its pictures.
namespace skingen {

QImage splashPicture();
QImage aboutPicture();
// The About animation's start picture, and its frames 1 to 4.
QImage aboutPicture1();
QImage aboutFrame(int frame);
QImage aboutPicture2();

} // namespace skingen
