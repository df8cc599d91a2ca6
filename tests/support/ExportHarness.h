// The real main window, connected to a real test data source, with the save
// dialog and the message boxes answered through their seams: what the export
// tests press and look at.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMetaObject>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "connection/Connection.h"
#include "connection/Globals.h"
#include "odbc/ODBC32.h"
#include "platform/AnsiText.h"
#include "platform/Application.h"
#include "platform/CommonDialogs.h"
#include "platform/DataSourceDialog.h"
#include "support/BoxRecorder.h"
#include "support/OdbcTestEnv.h"
#include "ui/fMain.h"

class ExportHarness {
public:
    ExportHarness() {
        previousDialog_ = vcl::SetFileDialogFn([this](vcl::OPENFILENAMEA* ofn, vcl::FileDialogKind kind) -> BOOL {
            ++dialogCalls;
            dialogKind = kind;
            dialogFlags = ofn->Flags;
            dialogName = ofn->lpstrFile != nullptr ? std::string(ofn->lpstrFile) : std::string("<null>");
            if (ofn->lpstrFilter != nullptr) {
                const char* f = ofn->lpstrFilter;
                dialogFilter.clear();
                while (*f != '\0') {
                    dialogFilter.push_back(f);
                    f += std::strlen(f) + 1;
                }
            }
            if (!target) return 0;
            if (target->size() + 1 > ofn->nMaxFile) return 0;
            std::memcpy(ofn->lpstrFile, target->c_str(), target->size() + 1);
            return 1;
        });
        form.show();
        form.activateWindow();
        QCoreApplication::processEvents();
    }

    ~ExportHarness() {
        odbc32::Calls() = odbc32::RealCalls();
        vcl::SetFileDialogFn(std::move(previousDialog_));
        if (OutputState == 0) connection::CloseRequest(form);
        hEnv = nullptr;
        hDbc = nullptr;
        OutputState = 0;
    }

    ExportHarness(const ExportHarness&) = delete;
    ExportHarness& operator=(const ExportHarness&) = delete;

    // Connects the window through its connect button; extra is appended to
    // the driver's connection string (driver options).
    bool Connect(testenv::Driver d, const std::string& extra = "") {
        const std::string cs = testenv::ConnectionStringOf(d) + extra;
        auto previous = vcl::SetDataSourcePromptFn([cs](HWND, const std::vector<vcl::DataSourceEntry>&) {
            vcl::DataSourceAnswer a;
            a.connectionString = cs;
            return std::optional<vcl::DataSourceAnswer>(a);
        });
        form.cmdConnect->click();
        vcl::SetDataSourcePromptFn(std::move(previous));
        boxes.boxes.clear();
        return hDbc != nullptr && form.cmdOutput->isEnabled();
    }

    // Names the file the save dialog answers with; nullopt cancels it.
    void AnswerDialogWith(std::optional<std::string> path) { target = std::move(path); }

    void SetStatement(const std::string& utf8) { form.memSQL->SetText(vcl::Ansi(utf8)); }

    void Press() { form.cmdOutput->click(); }

    // Runs f at every SQLFetch, before the real call, with the number of the
    // fetch (from 1).
    void OnFetch(std::function<void(int)> f) {
        auto real = odbc32::Calls().Fetch;
        odbc32::Calls().Fetch = [this, real, f](SQLHSTMT h) {
            ++fetches;
            f(fetches);
            return real(h);
        };
    }

    // Queues f to run at the next dispatch of messages.
    static void Post(QObject* context, std::function<void()> f) {
        QMetaObject::invokeMethod(context, std::move(f), Qt::QueuedConnection);
    }

    // The window as it is when idle.
    void ExpectIdle() const {
        EXPECT_EQ(OutputState, 0);
        EXPECT_EQ(form.cmdOutput->text().toStdString(), "出力");
        EXPECT_TRUE(form.cmdOutput->isEnabled());
        for (QWidget* w : std::initializer_list<QWidget*>{form.grpInit, form.grpTerminated, form.grpCount,
                                                         form.grpFormatDate, form.memSQL, form.cmdDisConnect})
            EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
        EXPECT_EQ(PanelUtf8(), "");
        EXPECT_EQ(vcl::ScreenCursor(), vcl::TCursor::crDefault);
    }

    // The window as it is during a run.
    void ExpectRunning() const {
        EXPECT_NE(OutputState, 0);
        EXPECT_EQ(form.cmdOutput->text().toStdString(), "中断");
        EXPECT_TRUE(form.cmdOutput->isEnabled());
        for (QWidget* w : std::initializer_list<QWidget*>{form.grpInit, form.grpTerminated, form.grpCount,
                                                         form.grpFormatDate, form.memSQL, form.cmdDisConnect})
            EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
        EXPECT_EQ(vcl::ScreenCursor(), vcl::TCursor::crHourGlass);
    }

    std::string PanelUtf8() const { return vcl::AnsiToUtf8(form.stbMain->PanelText(1)); }

    // The texts of the boxes shown, in order.
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> t;
        for (const auto& b : boxes.boxes) t.push_back(b.text);
        return t;
    }

    TfrmMain form;
    BoxRecorder boxes;
    std::optional<std::string> target;
    int dialogCalls = 0;
    vcl::FileDialogKind dialogKind = vcl::FileDialogKind::Open;
    DWORD dialogFlags = 0;
    std::string dialogName;
    std::vector<std::string> dialogFilter;
    int fetches = 0;

private:
    vcl::FileDialogFn previousDialog_;
};

// The bytes of a file; nullopt when it does not exist.
inline std::optional<std::string> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Lines "prefix1\r\n" ... "prefixN\r\n" of the numbers from..to.
inline std::string NumberLines(int from, int to) {
    std::string s;
    for (int i = from; i <= to; ++i) s += std::to_string(i) + "\r\n";
    return s;
}

// A fresh table t(i) holding 1..n on a driver's data source.
inline void MakeNumbers(testenv::Driver d, const std::string& table, int n) {
    testenv::Exec(d, {"DROP TABLE IF EXISTS " + table, "CREATE TABLE " + table + " (i INTEGER)"});
    if (n <= 0) return;
    // Begins with INSERT: the SQLite driver takes a statement that begins
    // with WITH for a query and does not run it to its end.
    testenv::Exec(d, {"INSERT INTO " + table +
                      " SELECT x FROM (WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < " +
                      std::to_string(n) + ") SELECT x FROM c) AS s"});
}

// A test run on each real driver, with its output files and tables named
// apart for each driver and process.
class DriverExportTest : public ::testing::TestWithParam<testenv::Driver> {
protected:
    void SetUp() override { VANTIRO_NEED_DRIVER(GetParam()); }

    std::string Out(const std::string& name) const {
        const std::string path = testenv::WorkDir() + "/" + testenv::DriverName(GetParam()) + "_" + name;
        std::filesystem::remove(path);
        return path;
    }
    std::string Table(const std::string& base) const { return testenv::Unique(base); }
};
