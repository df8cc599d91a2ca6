// Start-up: the code page, the fonts, the application object and its title,
// the main window, the message loop.
#include <QApplication>
#include <csignal>
#include <cstdio>

#include "platform/AnsiText.h"
#include "platform/AppWindow.h"
#include "platform/Application.h"
#include "platform/Startup.h"
#include "ui/fMain.h"

int main(int argc, char** argv) {
    if (!vcl::DisplayAvailable()) {
        std::fprintf(stderr,
                     "vantiro: no display found (DISPLAY is not set); run it under X, or headless with: "
                     "xvfb-run -a %s\n",
                     argv[0]);
        return 1;
    }
    // A pipe whose reader has gone is a write error of the export, not the
    // end of the program.
    std::signal(SIGPIPE, SIG_IGN);
    vcl::InitAnsiCodePageFromLocale();
    vcl::UseProgramFontConfig(argv[0]);
    QApplication app(argc, argv);
    vcl::InstallToolkitTranslations();
    vcl::TApplication application;  // the application window; outlives the main form
    vcl::SetApplicationTitle(vcl::Ansi("Vantiro"));
    TfrmMain form;
    form.show();
    return app.exec();
}
