// The program's own images: the window's 16 x 16 image and the program icon
// (32 x 32 and 16 x 16), drawn here rather than shipped as files.
#pragma once

#include <QIcon>
#include <QImage>

namespace vantiro {

QImage DrawIconImage(int size);
QIcon MainWindowIcon();

}  // namespace vantiro
