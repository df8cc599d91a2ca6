// The program's own images: the window's 16 x 16 image and the program icon
// (32 x 32 and 16 x 16), drawn here rather than shipped as files.
#pragma once

#include <QIcon>
#include <QImage>

namespace vantiro {

// The program's icon, at 16 or 32 pixels.
QImage DrawIconImage(int size);
// The window's own 16 x 16 image: the same sheet, with the arrow alone in blue.
QImage DrawWindowImage();
QIcon MainWindowIcon();

}  // namespace vantiro
