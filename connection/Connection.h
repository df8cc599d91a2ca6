// Connecting to and disconnecting from the one data source, and the teardown
// when the window closes.
#pragma once

#include <string>
#include <string_view>

#include "connection/Globals.h"
#include "platform/WinTypes.h"

namespace connection {

// What the connection handlers change on the window.
class TConnectionWindow {
public:
    virtual ~TConnectionWindow() = default;
    virtual HWND Handle() const = 0;
    virtual void SetConnectionStatus(const std::string& textAnsi) = 0;  // status panel 0
    // cmdConnect enabled when not connected; cmdDisConnect and cmdOutput when connected.
    virtual void SetConnectedButtons(bool connected) = 0;
};

// True while SQLDriverConnect (and with it the prompt) is under way.
bool ConnectPromptOpen();

void Connect(TConnectionWindow& w);
void Disconnect(TConnectionWindow& w);
// The close request: false refuses it (an export run, an abort not yet
// noticed, or the prompt still open); otherwise closes an open connection
// and returns true.
bool CloseRequest(TConnectionWindow& w);

// The name panel 0 shows for a completed connection string: the text after the
// first "DSN=" up to the next ";" (to the end when there is none). Without
// "DSN=" it names the database, server or driver, never a password.
std::string DataSourceNameOf(std::string_view completed);

}  // namespace connection
