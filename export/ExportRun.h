// The export run: what a press of the output button does.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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

// The most result columns a run exports; a statement with more is refused
// before the output file is created.
inline constexpr int kMaxColumns = 1000;

// A press of the output button. While a run goes on (OutputState 1) the
// press asks whether to abort it; while an abort waits to be noticed
// (OutputState 2) it does nothing. Otherwise it checks the statement, asks
// for the file and runs the export; an exception of the run reaches the
// caller only after the window is idle again.
void Run(TExportWindow& w);

// The statement check: after the leading characters of code 32 and below,
// the six characters "SELECT", ASCII letters in either case.
bool IsSelectStatement(std::string_view statement);

// Text of the information box at the end of a run (ANSI): the rows written,
// and on a line of its own the number of values that arrived cut, when any.
std::string InformationText(std::int64_t rows, std::int64_t cutValues);

}  // namespace exportrun
