#include "platform/Dialogs.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QPushButton>

#include "platform/AnsiText.h"
#include "platform/Application.h"

namespace vcl {
namespace {

// Tells a close from the caption's close button (result 2) from Esc, which
// QMessageBox routes through the escape button without a close event.
class ResultBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;
    bool closedFromCaption = false;

protected:
    void closeEvent(QCloseEvent* e) override {
        // Buttons and Esc end the box without a close event; only a close
        // request from outside (the caption) comes here.
        closedFromCaption = true;
        QMessageBox::closeEvent(e);
    }
};

MessageBoxFn& currentFn() {
    static MessageBoxFn fn;
    return fn;
}

}  // namespace

std::string MsgKindCaption(MsgKind kind) {
    switch (kind) {
    case MsgKind::ApplicationError: return AnsiToUtf8(ApplicationTitle());
    case MsgKind::Warning: return "警告";
    case MsgKind::Error: return "ｴﾗｰ";
    case MsgKind::Information: return "情報";
    case MsgKind::Confirmation: return "確認";
    }
    return "";
}

int MessageDlg(const std::string& text, MsgKind kind, MsgButtons buttons) {
    if (currentFn()) return currentFn()(text, kind, buttons);
    return ShowRealMessageBox(text, kind, buttons);
}

MessageBoxFn SetMessageBoxFn(MessageBoxFn fn) {
    MessageBoxFn previous = std::move(currentFn());
    currentFn() = std::move(fn);
    return previous;
}

int ShowRealMessageBox(const std::string& text, MsgKind kind, MsgButtons buttons) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (kind) {
    case MsgKind::Warning: icon = QMessageBox::Warning; break;
    case MsgKind::Error:
    case MsgKind::ApplicationError: icon = QMessageBox::Critical; break;
    case MsgKind::Information: icon = QMessageBox::Information; break;
    case MsgKind::Confirmation: icon = QMessageBox::Question; break;
    }
    ResultBox box(icon, QString::fromStdString(MsgKindCaption(kind)),
                    QString::fromStdString(AnsiToUtf8(text)), QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    // The close button of the caption gives 2 in either set; Esc gives the
    // set's own cancel answer (1 for OK alone, 7 for Yes/No).
    int result = mrCancel;
    if (buttons == MsgButtons::Ok) {
        QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.setDefaultButton(ok);
        box.setEscapeButton(ok);
        box.exec();
        if (box.clickedButton() == ok) result = mrOk;
    } else {
        QPushButton* yes = box.addButton(QString::fromUtf8("はい(&Y)"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(QString::fromUtf8("いいえ(&N)"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.setEscapeButton(no);
        box.exec();
        if (box.clickedButton() == yes) result = mrYes;
        else if (box.clickedButton() == no) result = mrNo;
    }
    if (box.closedFromCaption) result = mrCancel;
    return result;
}

}  // namespace vcl
