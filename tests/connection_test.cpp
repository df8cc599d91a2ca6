// Connecting, disconnecting and closing on the real drivers, with the prompt
// answered through its seam; the diagnostics box; the name in panel 0.
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>

#include "connection/Connection.h"
#include "platform/SysUtils.h"
#include <cstring>
#include "support/WindowFixture.h"

using testenv::Driver;

class Connect : public WindowTest, public ::testing::WithParamInterface<Driver> {};

TEST_P(Connect, SucceedsAndShowsTheDataSourceName) {
    VANTIRO_NEED_DRIVER(GetParam());
    ConnectTo(GetParam());
    EXPECT_TRUE(boxes.boxes.empty()) << (boxes.boxes.empty() ? "" : boxes.boxes[0].text);
    EXPECT_EQ(Panel(0), testenv::DsnOf(GetParam()));
    EXPECT_FALSE(form->cmdConnect->isEnabled());
    EXPECT_TRUE(form->cmdDisConnect->isEnabled());
    EXPECT_TRUE(form->cmdOutput->isEnabled());
    EXPECT_NE(hDbc, nullptr);
    EXPECT_EQ(vcl::ScreenCursor(), vcl::TCursor::crDefault);
}

TEST_P(Connect, DisconnectAsksAndNoChangesNothing) {
    VANTIRO_NEED_DRIVER(GetParam());
    ConnectTo(GetParam());
    SQLHDBC connected = hDbc;
    boxes.answers = {vcl::mrNo};
    form->cmdDisConnect->click();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "切断しますか？");
    EXPECT_EQ(boxes.boxes[0].kind, vcl::MsgKind::Confirmation);
    EXPECT_EQ(boxes.boxes[0].buttons, vcl::MsgButtons::YesNo);
    EXPECT_EQ(hDbc, connected);
    EXPECT_EQ(Panel(0), testenv::DsnOf(GetParam()));
    EXPECT_TRUE(form->cmdDisConnect->isEnabled());

    // Yes, and also the caption's close button (2): anything but No goes on.
    for (int answer : {vcl::mrYes, vcl::mrCancel}) {
        if (hDbc == nullptr) ConnectTo(GetParam());
        boxes.answers = {answer};
        form->cmdDisConnect->click();
        EXPECT_EQ(hEnv, nullptr);
        EXPECT_EQ(hDbc, nullptr);
        EXPECT_EQ(Panel(0), "");
        EXPECT_TRUE(form->cmdConnect->isEnabled());
        EXPECT_FALSE(form->cmdDisConnect->isEnabled());
        EXPECT_FALSE(form->cmdOutput->isEnabled());
        EXPECT_EQ(vcl::ScreenCursor(), vcl::TCursor::crDefault);
    }
}

INSTANTIATE_TEST_SUITE_P(Drivers, Connect, ::testing::Values(Driver::Sqlite, Driver::Postgres),
                         [](const auto& info) { return testenv::DriverName(info.param); });

using Connection = WindowTest;

TEST_F(Connection, PostgresPasswordNeverReachesTheWindow) {
    VANTIRO_NEED_DRIVER(Driver::Postgres);
    std::string completed;
    auto real = odbc32::Calls().DriverConnect;
    odbc32::Calls().DriverConnect = [&](SQLHDBC d, SQLHWND w, SQLCHAR* in, SQLSMALLINT inLen, SQLCHAR* out,
                                        SQLSMALLINT max, SQLSMALLINT* len, SQLUSMALLINT c) {
        SQLRETURN rc = real(d, w, in, inLen, out, max, len, c);
        completed = reinterpret_cast<const char*>(out);
        return rc;
    };
    ConnectTo(Driver::Postgres);
    const std::string password = std::getenv("VANTIRO_PG_PASSWORD");
    EXPECT_FALSE(completed.empty());
    EXPECT_EQ(Panel(0), "VantiroPg");
    EXPECT_EQ(Panel(0).find(password), std::string::npos);
}

TEST_F(Connection, CancelLeavesThePairAndASecondConnectFreesItFirst) {
    std::vector<std::string> calls;
    auto& c = odbc32::Calls();
    auto real = odbc32::RealCalls();
    c.FreeEnv = [&](SQLHENV e) { calls.push_back("FreeEnv"); return real.FreeEnv(e); };
    c.FreeConnect = [&](SQLHDBC d) { calls.push_back("FreeConnect"); return real.FreeConnect(d); };
    c.AllocEnv = [&](SQLHENV* e) { calls.push_back("AllocEnv"); return real.AllocEnv(e); };

    AnswerPrompt(std::nullopt);
    form->cmdConnect->click();
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(Panel(0), "");
    EXPECT_NE(hEnv, nullptr);
    EXPECT_TRUE(form->cmdConnect->isEnabled());
    EXPECT_FALSE(form->cmdOutput->isEnabled());
    EXPECT_EQ(calls, (std::vector<std::string>{"AllocEnv"}));

    ConnectTo(Driver::Sqlite);
    EXPECT_EQ(calls, (std::vector<std::string>{"AllocEnv", "FreeConnect", "FreeEnv", "AllocEnv"}));
    EXPECT_EQ(Panel(0), "VantiroSqlite");
}

TEST_F(Connection, FailureShowsOneBoxWithTheDriversMessageWhileConnecting) {
    AnswerPrompt("DSN=Broken;");
    std::string panelDuringBox;
    vcl::TCursor cursorDuringBox = vcl::TCursor::crDefault;
    boxes.onShow = [&] {
        panelDuringBox = Panel(0);
        cursorDuringBox = vcl::ScreenCursor();
    };
    form->cmdConnect->click();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].kind, vcl::MsgKind::Error);
    EXPECT_NE(boxes.boxes[0].text.find("connect failed"), std::string::npos) << boxes.boxes[0].text;
    EXPECT_EQ(panelDuringBox, "接続中");
    EXPECT_EQ(cursorDuringBox, vcl::TCursor::crHourGlass);
    EXPECT_EQ(Panel(0), "");
    EXPECT_EQ(vcl::ScreenCursor(), vcl::TCursor::crDefault);
    EXPECT_EQ(hEnv, nullptr);
    EXPECT_EQ(hDbc, nullptr);
    EXPECT_TRUE(form->cmdConnect->isEnabled());
    EXPECT_FALSE(form->cmdDisConnect->isEnabled());
    EXPECT_FALSE(form->cmdOutput->isEnabled());
}

TEST_F(Connection, InvalidHandleOrAnExceptionIsAFailedConnect) {
    odbc32::Calls().DriverConnect = [](SQLHDBC, SQLHWND, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT, SQLSMALLINT*,
                                       SQLUSMALLINT) -> SQLRETURN { return SQL_INVALID_HANDLE; };
    form->cmdConnect->click();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].kind, vcl::MsgKind::Error);
    EXPECT_EQ(hEnv, nullptr);
    EXPECT_FALSE(form->cmdOutput->isEnabled());

    odbc32::Calls() = odbc32::RealCalls();
    vcl::SetDataSourcePromptFn([](HWND, const std::vector<vcl::DataSourceEntry>&) -> std::optional<vcl::DataSourceAnswer> {
        throw vcl::Exception(vcl::Ansi("失敗"));
    });
    form->cmdConnect->click();
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[1].kind, vcl::MsgKind::ApplicationError);
    EXPECT_EQ(boxes.boxes[1].text, "失敗.");
    EXPECT_EQ(hEnv, nullptr);
    EXPECT_EQ(Panel(0), "");
    EXPECT_EQ(vcl::ScreenCursor(), vcl::TCursor::crDefault);
    EXPECT_TRUE(form->cmdConnect->isEnabled());
    EXPECT_FALSE(form->cmdOutput->isEnabled());
}

TEST_F(Connection, JapaneseDataSourceNameShowsUnchangedUnderUtf8) {
    vcl::SetAnsiCodePage(vcl::CodePage::Utf8);
    AnswerPrompt("DSN=販売データ;");
    form->cmdConnect->click();
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(form->stbMain->PanelText(0), "販売データ");
}

// ---- closing

TEST_F(Connection, CloseDisconnectsFirstOrCallsNothingWhenNeverConnected) {
    std::vector<std::string> calls;
    auto record = [&] {
        auto& c = odbc32::Calls();
        auto real = odbc32::RealCalls();
        c.Disconnect = [&, real](SQLHDBC d) { calls.push_back("Disconnect"); return real.Disconnect(d); };
        c.FreeConnect = [&, real](SQLHDBC d) { calls.push_back("FreeConnect"); return real.FreeConnect(d); };
        c.FreeEnv = [&, real](SQLHENV e) { calls.push_back("FreeEnv"); return real.FreeEnv(e); };
    };
    record();
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(calls.empty());

    form = std::make_unique<TfrmMain>();
    form->show();
    ConnectTo(Driver::Sqlite);
    record();
    std::string panel;
    EXPECT_TRUE(form->close());
    EXPECT_EQ(calls, (std::vector<std::string>{"Disconnect", "FreeConnect", "FreeEnv"}));
    EXPECT_EQ(Panel(0), "切断中");
    EXPECT_TRUE(boxes.boxes.empty());

    // After a cancelled prompt the unconnected pair is freed too.
    form = std::make_unique<TfrmMain>();
    form->show();
    AnswerPrompt(std::nullopt);
    form->cmdConnect->click();
    calls.clear();
    EXPECT_TRUE(form->close());
    EXPECT_EQ(calls, (std::vector<std::string>{"Disconnect", "FreeConnect", "FreeEnv"}));
}

TEST_F(Connection, CloseIsRefusedWhileTheHandlesAreInUse) {
    ConnectTo(Driver::Sqlite);
    for (int state : {1, 2}) {
        OutputState = state;
        EXPECT_FALSE(form->close()) << state;
        EXPECT_TRUE(form->isVisible());
        EXPECT_NE(hDbc, nullptr);
    }
    OutputState = 0;
    EXPECT_TRUE(boxes.boxes.empty());

    // While the prompt is open the handles are recorded and in use.
    form = std::make_unique<TfrmMain>();
    form->show();
    bool closed = true;
    vcl::SetDataSourcePromptFn([&](HWND, const std::vector<vcl::DataSourceEntry>&) -> std::optional<vcl::DataSourceAnswer> {
        closed = form->close();
        return std::nullopt;
    });
    form->cmdConnect->click();
    EXPECT_FALSE(closed);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->close());
}

// ---- the data source name in panel 0

TEST(DataSourceName, FromTheCompletedString) {
    vcl::SetAnsiCodePage(vcl::CodePage::Cp932);
    struct Case { std::string completed; std::string name; };
    const Case cases[] = {
        {"DSN=Sales;UID=a;PWD=secret;", "Sales"},
        {"DRIVER={x};DSN=Sales;PWD=p", "Sales"},
        {"FILEDSN=f.dsn;", "f.dsn"},  // a plain search: DSN= inside a longer keyword counts
        {"DSN=Sales", "Sales"},       // no ";": the rest of the text
        {"UID=u;DSN=;PWD=x", ""},
        {"\x82" "DSN=x;DSN=Real;", "Real"},  // 0x82 0x44 is one character: its trail byte starts no "DSN="
        {"Driver=/usr/lib/psqlodbca.so;Database=shop;PWD=secret;", "shop"},
        {"DRIVER={SQLite3};PWD={a;b};", "SQLite3"},
        {"PWD=secret;UID=u;", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(connection::DataSourceNameOf(c.completed), c.name) << c.completed;
    vcl::SetAnsiCodePage(vcl::CodePage::Utf8);
}

// ---- the diagnostics box

TEST_F(Connection, ShowODBCErrorShowsTheFirstRecordOnceCutTo254Bytes) {
    struct Case { std::string message; SQLRETURN rc; std::string shown; };
    const std::string longMsg(300, 'x');
    const Case cases[] = {
        {"first record", SQL_SUCCESS, "first record"},
        {longMsg, SQL_SUCCESS_WITH_INFO, std::string(254, 'x')},
        {"", SQL_SUCCESS, "内部エラー"},
        {"never written", SQL_ERROR, "内部エラー"},
    };
    for (const auto& c : cases) {
        int calls = 0;
        SQLHSTMT seenStmt = reinterpret_cast<SQLHSTMT>(1);
        odbc32::Calls().Error = [&](SQLHENV, SQLHDBC, SQLHSTMT s, SQLCHAR*, SQLINTEGER*, SQLCHAR* msg, SQLSMALLINT max,
                                    SQLSMALLINT* len) -> SQLRETURN {
            ++calls;
            seenStmt = s;
            if (c.rc == SQL_ERROR) return SQL_ERROR;  // writes nothing
            // As the driver manager does: cut to max - 1 bytes and a zero.
            std::size_t n = std::min<std::size_t>(c.message.size(), static_cast<std::size_t>(max - 1));
            std::memcpy(msg, c.message.data(), n);
            msg[n] = 0;
            *len = static_cast<SQLSMALLINT>(c.message.size());
            return c.rc;
        };
        boxes.boxes.clear();
        odbc32::ShowODBCError(nullptr, nullptr, nullptr);
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(seenStmt, nullptr);
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text, c.shown);
        EXPECT_EQ(boxes.boxes[0].kind, vcl::MsgKind::Error);
        EXPECT_EQ(boxes.boxes[0].buttons, vcl::MsgButtons::Ok);
    }
    odbc32::Calls().Error = [](SQLHENV, SQLHDBC, SQLHSTMT, SQLCHAR*, SQLINTEGER*, SQLCHAR*, SQLSMALLINT,
                               SQLSMALLINT*) -> SQLRETURN { throw std::runtime_error("boom"); };
    boxes.boxes.clear();
    odbc32::ShowODBCError(nullptr, nullptr, nullptr);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "内部エラー");
}

TEST_F(Connection, ShowODBCErrorOnARealStatementWithSeveralRecords) {
    ConnectTo(Driver::Sqlite);
    SQLHSTMT stmt = nullptr;
    odbc32::SQLAllocStmt(hDbc, &stmt);
    std::string sql = "SELECT * FROM " + std::string(300, 'q');
    odbc32::SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS);
    odbc32::ShowODBCError(hEnv, hDbc, stmt);
    odbc32::SQLFreeStmt(stmt, SQL_DROP);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text.size(), 254u);
    EXPECT_EQ(boxes.boxes[0].text.rfind("no such table", 0) != std::string::npos ||
                  boxes.boxes[0].text.find("no such table") != std::string::npos,
              true)
        << boxes.boxes[0].text;
}

// ---- the real box and the real prompt, answered by polling

TEST_F(Connection, RealPromptListsTheDataSourcesAndConnects) {
    vcl::SetDataSourcePromptFn({});
    bool listed = false;
    WhenModalAppears([&](QWidget* w) {
        auto* dlg = qobject_cast<QDialog*>(w);
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->parentWidget(), form.get());
        auto* list = dlg->findChild<QListWidget*>("sources");
        ASSERT_NE(list, nullptr);
        for (int i = 0; i < list->count(); ++i) {
            if (list->item(i)->text().startsWith("VantiroSqlite")) {
                list->setCurrentRow(i);
                listed = true;
            }
        }
        if (listed) dlg->accept();
        else dlg->reject();
    });
    form->cmdConnect->click();
    EXPECT_TRUE(listed);
    EXPECT_EQ(Panel(0), "VantiroSqlite");
}

TEST(RealMessageBox, AnswersAreTheBoxResults) {
    vcl::SetApplicationTitle(vcl::Ansi("Vantiro"));
    struct Case { vcl::MsgButtons buttons; int key; int result; };
    const Case cases[] = {
        {vcl::MsgButtons::YesNo, Qt::Key_Escape, vcl::mrNo},
        {vcl::MsgButtons::YesNo, Qt::Key_Return, vcl::mrYes},
        {vcl::MsgButtons::Ok, Qt::Key_Escape, vcl::mrOk},
    };
    for (const auto& c : cases) {
        QString caption;
        WhenModalAppears([&](QWidget* w) {
            caption = w->windowTitle();
            QKeyEvent press(QEvent::KeyPress, c.key, Qt::NoModifier);
            QApplication::sendEvent(w, &press);
        });
        int r = vcl::MessageDlg(vcl::Ansi("切断しますか？"), vcl::MsgKind::Confirmation, c.buttons);
        EXPECT_EQ(r, c.result);
        EXPECT_EQ(caption.toStdString(), "確認");
    }
    QString caption;
    WhenModalAppears([&](QWidget* w) {
        caption = w->windowTitle();
        w->close();
    });
    EXPECT_EQ(vcl::MessageDlg("x", vcl::MsgKind::ApplicationError, vcl::MsgButtons::Ok), vcl::mrCancel);
    EXPECT_EQ(caption.toStdString(), "Vantiro");
}
