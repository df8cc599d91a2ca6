#include "platform/AppWindow.h"

#include "platform/WindowManager.h"

namespace vcl {
namespace {

TApplication* g_application = nullptr;

// The application window's own procedure: the minimize and restore commands
// (whatever their low bits) minimize and restore the program without
// animation; everything else gets the default handling.
LRESULT ApplicationWindowProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
    TApplication* app = Application();
    if (msg == WM_SYSCOMMAND && app != nullptr && app->Handle() == h) {
        switch (wParam & SC_COMMANDMASK) {
        case SC_MINIMIZE:
            app->Minimize();
            return 0;
        case SC_RESTORE:
            app->Restore();
            return 0;
        default:
            break;
        }
    }
    return DefWindowProcA(h, msg, wParam, lParam);
}

}  // namespace

TApplication::TApplication() : TComponent(nullptr) {
    handle_ = CreateWidgetlessWindow(&ApplicationWindowProc);
    g_application = this;
}

TApplication::~TApplication() {
    // The components first (the hook gives the window its procedure back),
    // then the window.
    DestroyComponents();
    if (g_application == this) g_application = nullptr;
    DestroyWidgetlessWindow(handle_);
}

void TApplication::Minimize() { ShowWindow(handle_, SW_MINIMIZE); }

void TApplication::Restore() { ShowWindow(handle_, SW_RESTORE); }

void TApplication::FormCreated(TForm* form) {
    if (mainForm_ == nullptr) mainForm_ = form;
}

void TApplication::FormDestroyed(TForm* form) {
    if (mainForm_ == form) mainForm_ = nullptr;
}

TApplication* Application() { return g_application; }

}  // namespace vcl
