// The application object: it keeps the application window, which stands for
// the program on the taskbar and owns every form, and knows the main form.
// It owns components of its own (the animation's hook) and destroys them,
// the newest first, while the application window still exists.
#pragma once

#include "platform/Component.h"
#include "platform/WinTypes.h"

namespace vcl {

class TForm;

class TApplication : public TComponent {
public:
    // One at a time: while it lives, Application() returns it.
    TApplication();
    ~TApplication() override;

    // The application window.
    HWND Handle() const { return handle_; }
    // The first form created while this object lives; null before that and
    // after that form has gone.
    TForm* MainForm() const { return mainForm_; }

    // The program's own minimize and restore: the application window goes
    // down or comes back at once, without animation.
    void Minimize();
    void Restore();

    // Every form reports its creation and destruction.
    void FormCreated(TForm* form);
    void FormDestroyed(TForm* form);

private:
    HWND handle_ = nullptr;
    TForm* mainForm_ = nullptr;
};

// The application object, or null when there is none.
TApplication* Application();

}  // namespace vcl
