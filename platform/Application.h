// The application object's services that code below the window uses: title,
// the application-wide cursor, dispatch of pending messages and the default
// exception handler. Free of toolkit headers.
#pragma once

#include <exception>
#include <functional>
#include <string>

namespace vcl {

enum class TCursor { crDefault, crHourGlass };

// Title of the application (ANSI): names the taskbar button and captions the
// default error box.
const std::string& ApplicationTitle();
void SetApplicationTitle(std::string titleAnsi);

// The application-wide cursor.
TCursor ScreenCursor();
void SetScreenCursor(TCursor cursor);

// Works off every pending message (input, paint, posted), then returns.
void ProcessMessages();

// The default handler for an exception that leaves an event handler: an
// error box captioned with the title, its text the exception's message with
// "." appended when its last character sorts above ".". The program goes on.
void HandleException(std::exception_ptr e);
// Message text as the default handler shows it (ANSI).
std::string ExceptionBoxText(std::exception_ptr e);

// Runs an event handler the way the message loop does: an exception that
// leaves it goes to HandleException.
void InvokeHandler(const std::function<void()>& handler);

}  // namespace vcl
