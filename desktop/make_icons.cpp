// Writes the program's images as PNG files for installation:
//   make_icons DIR  ->  DIR/vantiro-16.png, DIR/vantiro-32.png, DIR/vantiro-window-16.png
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

#include "ui/MainIcon.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icons DIR\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString dir = QString::fromLocal8Bit(argv[1]);
    bool ok = vantiro::DrawIconImage(16).save(dir + "/vantiro-16.png") &&
              vantiro::DrawIconImage(32).save(dir + "/vantiro-32.png") &&
              vantiro::DrawWindowImage().save(dir + "/vantiro-window-16.png");
    return ok ? 0 : 1;
}
