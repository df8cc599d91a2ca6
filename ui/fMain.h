// The main window: every control the user works with, and the handlers of
// the window's events.
#pragma once

#include <cstdint>
#include <memory>

#include "connection/Connection.h"
#include "connection/Globals.h"
#include "export/ExportRun.h"
#include "platform/Controls.h"
#include "platform/Forms.h"

class TAnimateWindow;
class TfrmMain;

// Null until the window is created.
extern TfrmMain* frmMain;

class TfrmMain : public vcl::TForm, public connection::TConnectionWindow, public exportrun::TExportWindow {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    // The components, in the order of the layout.
    TAnimateWindow* AnimateWindow1 = nullptr;  // the minimize/restore animation; owned by the form
    vcl::TPanel* pnlTop;
    vcl::TGroupBox* grpInit;
    vcl::TCheckBox* chkTitle;
    vcl::TCheckBox* chkEnclosed;
    vcl::TGroupBox* grpTerminated;
    vcl::TLabel* lblTerminatedStr;
    vcl::TEdit* txtTerminatedStr;
    vcl::TLabel* lblTerminatedAscii;
    vcl::TEdit* txtTerminatedAscii;
    vcl::TGroupBox* grpCount;
    vcl::TRadioButton* optAll;
    vcl::TRadioButton* optSetCount;
    vcl::TSpinEdit* txtSetCount;
    vcl::TButton* cmdConnect;
    vcl::TButton* cmdDisConnect;
    vcl::TButton* cmdOutput;
    vcl::TMemo* memSQL;
    vcl::TStatusBar* stbMain;
    vcl::TGroupBox* grpFormatDate;
    vcl::TCheckBox* chkFormatDate;
    vcl::TEdit* txtFormatDate;

    // Event handlers.
    void FormCreate();
    void FormClose(vcl::TCloseAction& action);
    void memSQLKeyDown(std::uint16_t& key, vcl::TShiftState shift);
    void txtTerminatedStrChange();
    void txtTerminatedAsciiChange();
    void cmdConnectClick();
    void cmdDisConnectClick();
    void cmdOutputClick();

    // TConnectionWindow
    HWND Handle() const override { return vcl::TForm::Handle(); }
    void SetConnectionStatus(const std::string& textAnsi) override;
    void SetConnectedButtons(bool connected) override;

    // TExportWindow
    std::string StatementText() const override { return memSQL->Text(); }
    void FocusStatement() override { memSQL->setFocus(); }
    std::string DelimiterText() const override { return txtTerminatedStr->Text(); }
    bool HeadingChecked() const override { return chkTitle->Checked(); }
    bool EnclosedChecked() const override { return chkEnclosed->Checked(); }
    bool FormatDateChecked() const override { return chkFormatDate->Checked(); }
    std::string FormatDateText() const override { return txtFormatDate->Text(); }
    bool SetCountChecked() const override { return optSetCount->Checked(); }
    std::int32_t SetCountValue() const override { return txtSetCount->Value(); }
    void SetRunningControls(bool running) override;
    void SetProgressText(const std::string& textAnsi) override { stbMain->SetPanelText(1, textAnsi); }

protected:
    void WndProc(vcl::TMessage& msg) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void createControls();
    void WMGetMinMaxInfo(vcl::TMessage& msg);
};
