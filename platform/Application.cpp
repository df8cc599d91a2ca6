#include "platform/Application.h"

#include <QApplication>
#include <QCursor>

#include "platform/AnsiText.h"
#include "platform/Dialogs.h"
#include "platform/SysUtils.h"

namespace vcl {
namespace {
std::string g_title;
TCursor g_cursor = TCursor::crDefault;
}  // namespace

const std::string& ApplicationTitle() { return g_title; }

void SetApplicationTitle(std::string titleAnsi) {
    g_title = std::move(titleAnsi);
    QApplication::setApplicationDisplayName(QString());
    QApplication::setApplicationName(QString::fromStdString(AnsiToUtf8(g_title)));
}

TCursor ScreenCursor() { return g_cursor; }

void SetScreenCursor(TCursor cursor) {
    if (cursor == g_cursor) return;
    g_cursor = cursor;
    // One override cursor at most: the hourglass is put on top of every
    // window's own cursor and taken off for the default.
    if (qApp == nullptr) return;
    if (cursor == TCursor::crHourGlass) QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    else QApplication::restoreOverrideCursor();
}

void ProcessMessages() {
    if (qApp == nullptr) return;
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

std::string ExceptionBoxText(std::exception_ptr e) {
    std::string text;
    try {
        std::rethrow_exception(e);
    } catch (const Exception& ex) {
        text = ex.Message();
    } catch (const std::bad_alloc&) {
        text = Ansi("メモリが不足しています");
    } catch (const std::exception& ex) {
        text = ex.what();
    } catch (...) {
        text = Ansi("不明な例外");
    }
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
    return text;
}

void HandleException(std::exception_ptr e) {
    MessageDlg(ExceptionBoxText(e), MsgKind::ApplicationError, MsgButtons::Ok);
}

void InvokeHandler(const std::function<void()>& handler) {
    if (!handler) return;
    try {
        handler();
    } catch (...) {
        HandleException(std::current_exception());
    }
}

}  // namespace vcl
