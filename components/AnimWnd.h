// TAnimateWindow: a component for the main form that makes minimizing and
// restoring the program animate between the main form and its taskbar
// button. Before a minimize it lays the application window flat over the
// main form, before a restore it gives it the main form's normal position
// with height 0, and lets the default window procedure carry out the command
// with its animation. TAppHook, one for the program, turns the minimize and
// restore commands that reach the application window into requests to the
// main form.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/Component.h"
#include "platform/Forms.h"
#include "platform/Messages.h"
#include "platform/WindowManager.h"

// Asks the main form for the restore sequence; wParam and lParam 0.
inline constexpr UINT WM_ANIMATERESTORE = vcl::WM_APP + 1;  // 0x8001

// Asked before a minimize or restore; the caller sets CanAction true, and a
// handler that sets it false stops the action.
using TWindowActionEvent = std::function<void(vcl::TObject* Sender, bool& CanAction)>;

class TAnimateWindow : public vcl::TComponent {
public:
    // The owner must be a form (EInvalidCast otherwise) without a component
    // of this kind yet (vcl::Exception otherwise).
    explicit TAnimateWindow(vcl::TComponent* AOwner);
    ~TAnimateWindow() override;

    // Puts the component in front of its form's message method.
    void Loaded() override;

    // Minimize and restore the program through the application window; both
    // return before the sequence has run.
    virtual void Minimize();
    virtual void Restore();

    TWindowActionEvent OnMinimize;
    TWindowActionEvent OnRestore;

protected:
    // Fire the events, with the application object as Sender.
    virtual void DoMinimize(bool& CanAction);
    virtual void DoRestore(bool& CanAction);

    vcl::TForm* Form = nullptr;
    vcl::TWndMethod PrevWindowProc;

private:
    void FormWndProc(vcl::TMessage& Message);
    void AnimateMinimize();
    void AnimateRestore();

    // What the form's message method calls while this component stands in
    // front of it; cleared when the component goes before its form, so that
    // the form's messages then go straight on to PrevWindowProc.
    std::shared_ptr<TAnimateWindow*> front_;
};

class TAppHook : public vcl::TComponent {
public:
    // Owned by the application object; stands in front of the application
    // window's window procedure until it is destroyed.
    explicit TAppHook(vcl::TComponent* AOwner);
    ~TAppHook() override;

private:
    void AppWndProc(vcl::TMessage& Message);

    vcl::WNDPROC PrevWndProc = nullptr;
    vcl::WNDPROC WndProcStub = nullptr;
};

// The forms that carry a TAnimateWindow, one entry per component, in creation order.
extern std::vector<vcl::TForm*> FormList;
// The one hook, made by the first component created outside design mode.
extern TAppHook* AppHook;
