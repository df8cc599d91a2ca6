#include "ui/fMain.h"

#include <QFont>
#include <QResizeEvent>
#include <type_traits>

#include "components/AnimWnd.h"
#include "export/ExportRun.h"
#include "platform/AnsiText.h"
#include "platform/SysUtils.h"
#include "ui/MainIcon.h"

TfrmMain* frmMain = nullptr;

namespace {

constexpr int kTopHeight = 141;
constexpr int kStatusHeight = 19;

QString u(const char* utf8) { return QString::fromUtf8(utf8); }

QFont pixelFont(const char* family, int pixels) {
    QFont f(u(family));
    f.setPixelSize(pixels);
    return f;
}

// A control of the layout: its name, its place in the parent's client area
// and its caption.
template <class T>
T* Control(QWidget* parent, const char* name, QRect bounds, const char* caption = nullptr) {
    auto* c = new T(parent);  // owned by its parent
    c->setObjectName(name);
    c->setGeometry(bounds);
    if (caption != nullptr) {
        if constexpr (std::is_same_v<T, vcl::TGroupBox>) c->SetCaption(u(caption));
        else if constexpr (requires { c->setText(QString()); }) c->setText(u(caption));
    }
    return c;
}

}  // namespace

TfrmMain::TfrmMain(QWidget* parent) : vcl::TForm(parent) {
    setObjectName("frmMain");
    setWindowTitle(u("Vantiro"));
    setWindowIcon(vantiro::MainWindowIcon());
    setFont(pixelFont("ＭＳ Ｐゴシック", 12));
    SetOuterSize(430, 250);
    AnimateWindow1 = new TAnimateWindow(this);
    createControls();
    NotifyComponentsLoaded();
    OnClose = [this](vcl::TCloseAction& a) { FormClose(a); };
    if (frmMain == nullptr) frmMain = this;
    FormCreate();
}

TfrmMain::~TfrmMain() {
    if (frmMain == this) frmMain = nullptr;
}

void TfrmMain::createControls() {
    using namespace vcl;
    pnlTop = Control<TPanel>(this, "pnlTop", {0, 0, 422, kTopHeight});

    grpInit = Control<TGroupBox>(pnlTop, "grpInit", {10, 10, 121, 71}, "出力設定");
    chkTitle = Control<TCheckBox>(grpInit, "chkTitle", {10, 20, 91, 21}, "見出しを含む");
    chkEnclosed = Control<TCheckBox>(grpInit, "chkEnclosed", {10, 40, 101, 21}, "引用符を付ける");

    grpTerminated = Control<TGroupBox>(pnlTop, "grpTerminated", {130, 10, 131, 71}, "区切り文字");
    lblTerminatedStr = Control<TLabel>(grpTerminated, "lblTerminatedStr", {10, 24, 24, 12}, "文字");
    txtTerminatedStr = Control<TEdit>(grpTerminated, "txtTerminatedStr", {80, 20, 41, 21});
    txtTerminatedStr->SetMaxLength(1);
    txtTerminatedStr->SetImeDisabled(true);
    txtTerminatedStr->setFont(pixelFont("ＭＳ 明朝", 13));
    lblTerminatedAscii = Control<TLabel>(grpTerminated, "lblTerminatedAscii", {10, 44, 63, 12}, "ASCII コード");
    txtTerminatedAscii = Control<TEdit>(grpTerminated, "txtTerminatedAscii", {80, 40, 41, 20});
    txtTerminatedAscii->SetMaxLength(3);
    txtTerminatedAscii->SetImeDisabled(true);

    grpCount = Control<TGroupBox>(pnlTop, "grpCount", {260, 10, 151, 71}, "出力件数");
    optAll = Control<TRadioButton>(grpCount, "optAll", {10, 20, 51, 21}, "全件");
    optAll->setChecked(true);
    optSetCount = Control<TRadioButton>(grpCount, "optSetCount", {10, 40, 51, 21}, "指定");
    txtSetCount = Control<TSpinEdit>(grpCount, "txtSetCount", {60, 40, 81, 21});
    txtSetCount->MinValue = 1;
    txtSetCount->MaxValue = 999999999;
    txtSetCount->Increment = 1;
    txtSetCount->SetMaxLength(9);
    txtSetCount->SetValue(100);

    grpFormatDate = Control<TGroupBox>(pnlTop, "grpFormatDate", {10, 85, 191, 46});
    chkFormatDate = Control<TCheckBox>(grpFormatDate, "chkFormatDate", {10, 0, 106, 14}, "Date 型書式指定");
    chkFormatDate->setAutoFillBackground(true);  // covers the frame line it lies on
    txtFormatDate = Control<TEdit>(grpFormatDate, "txtFormatDate", {20, 20, 151, 20});
    txtFormatDate->SetText("YYYY/MM/DD HH:MM:SS");

    cmdConnect = Control<TButton>(pnlTop, "cmdConnect", {250, 100, 51, 31}, "接続");
    cmdDisConnect = Control<TButton>(pnlTop, "cmdDisConnect", {300, 100, 51, 31}, "切断");
    cmdDisConnect->setEnabled(false);
    cmdOutput = Control<TButton>(pnlTop, "cmdOutput", {360, 100, 51, 31}, "出力");
    cmdOutput->setEnabled(false);

    memSQL = Control<TMemo>(this, "memSQL", {0, kTopHeight, 422, 63});
    memSQL->setFont(pixelFont("ＭＳ 明朝", 13));

    stbMain = Control<TStatusBar>(this, "stbMain", {0, 223 - kStatusHeight, 422, kStatusHeight});
    stbMain->SetPanelWidths({150, 50});

    // Focus order: chkTitle, chkEnclosed, txtTerminatedStr, txtTerminatedAscii,
    // the radio buttons, txtSetCount, chkFormatDate, txtFormatDate, the three
    // buttons, memSQL.
    QWidget* order[] = {chkTitle, chkEnclosed, txtTerminatedStr, txtTerminatedAscii, optAll, optSetCount,
                        txtSetCount, chkFormatDate, txtFormatDate, cmdConnect, cmdDisConnect, cmdOutput, memSQL};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
    stbMain->setFocusPolicy(Qt::NoFocus);

    memSQL->OnKeyDown = [this](std::uint16_t& key, vcl::TShiftState shift) { memSQLKeyDown(key, shift); };
    txtTerminatedStr->OnChange = [this] { txtTerminatedStrChange(); };
    txtTerminatedAscii->OnChange = [this] { txtTerminatedAsciiChange(); };
    cmdConnect->OnClick = [this] { cmdConnectClick(); };
    cmdDisConnect->OnClick = [this] { cmdDisConnectClick(); };
    cmdOutput->OnClick = [this] { cmdOutputClick(); };
}

void TfrmMain::resizeEvent(QResizeEvent* e) {
    // pnlTop along the top, stbMain along the bottom, memSQL takes the rest.
    const int w = e->size().width();
    const int h = e->size().height();
    pnlTop->setGeometry(0, 0, w, kTopHeight);
    stbMain->setGeometry(0, h - kStatusHeight, w, kStatusHeight);
    memSQL->setGeometry(0, kTopHeight, w, std::max(0, h - kTopHeight - kStatusHeight));
    vcl::TForm::resizeEvent(e);
}

void TfrmMain::WndProc(vcl::TMessage& msg) {
    if (msg.Msg == vcl::WM_GETMINMAXINFO) {
        WMGetMinMaxInfo(msg);
        return;
    }
    vcl::TForm::WndProc(msg);
}

void TfrmMain::WMGetMinMaxInfo(vcl::TMessage& msg) {
    auto* info = reinterpret_cast<vcl::MINMAXINFO*>(msg.LParam);
    info->ptMinTrackSize = {430, 250};
}

void TfrmMain::FormCreate() {
    hEnv = nullptr;
    hDbc = nullptr;
    OutputState = 0;
    txtTerminatedStr->SetText(",");
}

void TfrmMain::FormClose(vcl::TCloseAction& action) {
    if (!connection::CloseRequest(*this)) action = vcl::TCloseAction::caNone;
}

void TfrmMain::memSQLKeyDown(std::uint16_t& key, vcl::TShiftState shift) {
    if (key == 0x41 && shift == vcl::TShiftState{false, false, true}) memSQL->SelectAll();
}

void TfrmMain::txtTerminatedStrChange() {
    const std::string& s = txtTerminatedStr->Text();
    if (s.empty()) txtTerminatedAscii->SetText("");
    else txtTerminatedAscii->SetText(vcl::IntToStr(static_cast<unsigned char>(s[0])));
}

void TfrmMain::txtTerminatedAsciiChange() {
    const std::string code = txtTerminatedAscii->Text();
    if (code.empty()) {
        txtTerminatedStr->SetText("");
        return;
    }
    std::int32_t v;
    if (!vcl::TryStrToInt(code, v) || v < 0 || v > 128) {
        txtTerminatedStr->SetText("");
        txtTerminatedAscii->SetText("");
        return;
    }
    txtTerminatedStr->SetText(std::string(1, static_cast<char>(v)));
}

void TfrmMain::cmdConnectClick() { connection::Connect(*this); }

void TfrmMain::cmdDisConnectClick() { connection::Disconnect(*this); }

void TfrmMain::cmdOutputClick() { exportrun::Run(*this); }

void TfrmMain::SetConnectionStatus(const std::string& textAnsi) { stbMain->SetPanelText(0, textAnsi); }

void TfrmMain::SetConnectedButtons(bool connected) {
    cmdConnect->setEnabled(!connected);
    cmdDisConnect->setEnabled(connected);
    cmdOutput->setEnabled(connected);
}

void TfrmMain::SetRunningControls(bool running) {
    for (QWidget* w : std::initializer_list<QWidget*>{grpInit, grpTerminated, grpCount, grpFormatDate, memSQL,
                                                     cmdDisConnect})
        w->setEnabled(!running);
    cmdOutput->setText(running ? u("中断") : u("出力"));
}
