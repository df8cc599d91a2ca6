// The export run: what a press of the output button does.
#pragma once

#include <cstdint>
#include <string>

#include "platform/WinTypes.h"

namespace exportrun {

// What the run reads from and changes on the window.
class TExportWindow {
public:
    virtual ~TExportWindow() = default;
    virtual HWND Handle() const = 0;
    virtual std::string StatementText() const = 0;  // memSQL, whole and untrimmed
    virtual void FocusStatement() = 0;
    virtual std::string DelimiterText() const = 0;  // txtTerminatedStr
    virtual bool HeadingChecked() const = 0;        // chkTitle
    virtual bool EnclosedChecked() const = 0;       // chkEnclosed
    virtual bool FormatDateChecked() const = 0;     // chkFormatDate
    virtual std::string FormatDateText() const = 0; // txtFormatDate
    virtual bool SetCountChecked() const = 0;       // optSetCount
    virtual std::int32_t SetCountValue() const = 0; // txtSetCount
    // Disables (running) or enables (idle), in order, grpInit, grpTerminated,
    // grpCount, grpFormatDate, memSQL and cmdDisConnect, and captions cmdOutput
    // "中断" or "出力".
    virtual void SetRunningControls(bool running) = 0;
    virtual void SetProgressText(const std::string& textAnsi) = 0;  // status panel 1
};

void Run(TExportWindow& w);

}  // namespace exportrun
