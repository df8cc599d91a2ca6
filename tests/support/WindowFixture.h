// A real main window on the offscreen platform, with its boxes recorded and
// its data source prompt answered from the test.
#pragma once

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <gtest/gtest.h>

#include "odbc/ODBC32.h"
#include "platform/Application.h"
#include "platform/DataSourceDialog.h"
#include "support/BoxRecorder.h"
#include "support/OdbcTestEnv.h"
#include "ui/fMain.h"

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        vcl::SetApplicationTitle(vcl::Ansi("Vantiro"));
        odbc32::Calls() = odbc32::RealCalls();
        form = std::make_unique<TfrmMain>();
        form->show();
    }
    void TearDown() override {
        vcl::SetDataSourcePromptFn({});
        if (hEnv != nullptr) {
            OutputState = 0;
            odbc32::Calls() = odbc32::RealCalls();
            form->close();
        }
        form.reset();
        odbc32::Calls() = odbc32::RealCalls();
        vcl::SetScreenCursor(vcl::TCursor::crDefault);
    }

    // The prompt gives this connection string (nullopt: the user cancels).
    void AnswerPrompt(std::optional<std::string> connectionString) {
        vcl::SetDataSourcePromptFn([connectionString](HWND, const std::vector<vcl::DataSourceEntry>&)
                                       -> std::optional<vcl::DataSourceAnswer> {
            if (!connectionString) return std::nullopt;
            vcl::DataSourceAnswer a;
            a.connectionString = *connectionString;
            return a;
        });
    }

    void ConnectTo(testenv::Driver d) {
        AnswerPrompt(testenv::ConnectionStringOf(d));
        form->cmdConnect->click();
    }

    std::string Panel(int i) const { return vcl::AnsiToUtf8(form->stbMain->PanelText(i)); }

    BoxRecorder boxes;
    std::unique_ptr<TfrmMain> form;
};

// Runs action on the modal widget that appears next (polling; a one-shot
// timer fired before the dialog opens would wait forever).
inline void WhenModalAppears(std::function<void(QWidget*)> action, int timeoutMs = 10000) {
    auto* timer = new QTimer;
    auto start = std::chrono::steady_clock::now();
    QObject::connect(timer, &QTimer::timeout, [timer, action, start, timeoutMs] {
        QWidget* w = QApplication::activeModalWidget();
        if (w != nullptr && w->isVisible()) {
            timer->stop();
            timer->deleteLater();
            action(w);
        } else if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(timeoutMs)) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "no modal widget appeared";
        }
    });
    timer->start(20);
}
