// The platform's standard modal message box. Every box of the program goes
// through MessageDlg, whose implementation is one replaceable function so that
// tests can answer and record boxes without an event loop.
#pragma once

#include <functional>
#include <string>

namespace vcl {

// ApplicationError is the default exception handler's box: stop icon, OK,
// captioned with the application title.
enum class MsgKind { Warning, Error, Information, Confirmation, ApplicationError };
enum class MsgButtons { Ok, YesNo };

// Results of a box.
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;  // the close button of the caption
inline constexpr int mrYes = 6;
inline constexpr int mrNo = 7;

// text is a byte text in the ANSI code page. Returns one of the results above.
using MessageBoxFn = std::function<int(const std::string& text, MsgKind kind, MsgButtons buttons)>;

int MessageDlg(const std::string& text, MsgKind kind, MsgButtons buttons);

// Replaces the box; returns the previous one. An empty function restores the
// real box.
MessageBoxFn SetMessageBoxFn(MessageBoxFn fn);

// The real box: a modal QMessageBox with the kind's caption and icon, owned by
// the active window, in Japanese.
int ShowRealMessageBox(const std::string& text, MsgKind kind, MsgButtons buttons);

// Caption of a kind, UTF-8: "警告", "ｴﾗｰ", "情報", "確認", or the title.
std::string MsgKindCaption(MsgKind kind);

}  // namespace vcl
