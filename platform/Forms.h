// Forms: top-level windows with a replaceable message method. Toolkit events
// that the program handles as messages (the size limits, the window manager's
// minimize and restore) reach the form as the matching message. A form owns
// the components made on it.
#pragma once

#include <QWidget>
#include <functional>

#include "platform/Component.h"
#include "platform/Messages.h"
#include "platform/WinTypes.h"
#include "platform/WindowManager.h"

namespace vcl {

enum class TCloseAction { caNone, caHide, caFree, caMinimize };

class TForm : public QWidget, public TComponent {
    Q_OBJECT
public:
    explicit TForm(QWidget* parent = nullptr);
    ~TForm() override;

    // The form's window handle; owner of its modal dialogs and boxes.
    HWND Handle() const;

    // The message method; replaceable, as a component that stands in front of
    // the form does. It starts as the form's own WndProc.
    TWndMethod WindowProc;
    // Sends a message through WindowProc and returns its result.
    LRESULT Perform(UINT msg, WPARAM wParam, LPARAM lParam);

    // Close request: handler gets the action, caFree by default for the
    // main form; caNone keeps the window open.
    std::function<void(TCloseAction&)> OnClose;

    // Client size from an outer size given with the platform's frame.
    void SetOuterSize(int width, int height);

protected:
    // Default handling of the form's messages.
    virtual void WndProc(TMessage& msg);

    void changeEvent(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void applySizeLimits();
    TWindowRecord* record_;
};

}  // namespace vcl
