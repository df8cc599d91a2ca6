#include "export/ExportRun.h"

#include <array>
#include <exception>
#include <memory>
#include <utility>
#include <vector>

#include "connection/Globals.h"
#include "dialogs/FileDlgs.h"
#include "export/ColumnBuffers.h"
#include "export/DateRewrite.h"
#include "export/LineBuilder.h"
#include "odbc/ODBC32.h"
#include "platform/AnsiText.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/SysUtils.h"
#include "platform/TextFile.h"

namespace exportrun {
namespace {

constexpr std::int32_t kProgressEvery = 100;
constexpr std::uint32_t kSaveOptions = 4358;  // overwrite prompt, hide read-only, path must exist, no read-only return
constexpr SQLSMALLINT kNameMax = 255;

std::string ProgressText(std::int64_t rows) { return vcl::IntToStr(rows) + vcl::Ansi(" 件"); }

// One export run, from the chosen file name to the idle window.
class TRun {
public:
    TRun(TExportWindow& w, std::unique_ptr<TFileDlg> dlg, std::string delimiter)
        : w_(w), dlg_(std::move(dlg)), delimiter_(std::move(delimiter)) {}

    // Runs the export, then the end-of-run steps exactly once, however the
    // export ended; an exception goes on only after them.
    void Go() {
        std::exception_ptr failure;
        try {
            Begin();
            Export();
        } catch (...) {
            failure = std::current_exception();
        }
        End(failure);
    }

private:
    void Begin() {
        vcl::SetScreenCursor(vcl::TCursor::crHourGlass);
        OutputState = 1;
        w_.SetRunningControls(true);
    }

    void Export() {
        odbc32::SQLAllocStmt(hDbc, &hStmt_);
        std::string statement = w_.StatementText();
        lastResult_ = odbc32::SQLExecDirect(hStmt_, reinterpret_cast<SQLCHAR*>(statement.data()), SQL_NTS);
        if (!odbc32::Succeeded(lastResult_)) return;
        lastResult_ = odbc32::SQLNumResultCols(hStmt_, &columnCount_);
        if (!odbc32::Succeeded(lastResult_)) return;
        // The column table has room for kMaxColumns; refused before the file
        // is created, so an existing file stays as it is.
        if (columnCount_ > kMaxColumns) {
            tooManyColumns_ = true;
            return;
        }

        // The controls are disabled from here to the end: the settings are
        // read once.
        const bool heading = w_.HeadingChecked();
        options_.Delimiter = delimiter_;
        options_.Enclosed = w_.EnclosedChecked();
        options_.FormatDate = w_.FormatDateChecked();
        pattern_ = w_.FormatDateText();
        const bool limited = w_.SetCountChecked();
        const std::int32_t limit = limited ? w_.SetCountValue() : 0;

        file_.Rewrite(dlg_->FileName);
        fileOpen_ = true;
        lastResult_ = -1;
        line_.clear();
        headingLines_ = heading ? 1 : 0;

        if (!DescribeAndBind(heading)) return;
        if (heading) file_.WriteLine(line_);
        FetchLoop(limited, limit);
    }

    bool DescribeAndBind(bool heading) {
        if (columnCount_ <= 0) return true;
        // Sized once: the driver keeps the addresses of every entry.
        columns_.resize(static_cast<std::size_t>(columnCount_));
        std::array<SQLCHAR, kNameMax + 1> name{};
        const std::string_view nameBuffer(reinterpret_cast<const char*>(name.data()), kNameMax);
        for (SQLSMALLINT i = 1; i <= columnCount_; ++i) {
            exporting::BoundColumn& col = columns_[static_cast<std::size_t>(i - 1)];
            SQLSMALLINT nameLength = 0, scale = 0, nullable = 0;
            lastResult_ = odbc32::SQLDescribeCol(hStmt_, static_cast<SQLUSMALLINT>(i), name.data(), kNameMax,
                                                 &nameLength, &col.SqlType, &col.Precision, &scale, &nullable);
            if (!odbc32::Succeeded(lastResult_)) return false;
            if (heading) exporting::AppendHeadingPart(line_, i, options_, nameBuffer, nameLength);
            col.Allocate(exporting::BindLengthFor(col.SqlType, col.Precision));
            // Length starts as SQL_NULL_DATA: a column whose binding failed
            // is never written by the driver and contributes nothing.
            odbc32::SQLBindCol(hStmt_, static_cast<SQLUSMALLINT>(i), SQL_C_CHAR, col.Buffer.data(),
                               col.BufferLength, &col.Length);
        }
        return true;
    }

    void FetchLoop(bool limited, std::int32_t limit) {
        const exporting::DateAppender appendDate = [this](std::string& out, std::string_view value) {
            exporting::AppendRewrite(out, value, dateState_, pattern_);
        };
        for (;;) {
            if (rowCount_ % kProgressEvery == 0) {
                w_.SetProgressText(ProgressText(rowCount_));
                vcl::ProcessMessages();
                if (OutputState == 2) return;
            }
            lastResult_ = odbc32::SQLFetch(hStmt_);
            if (lastResult_ == SQL_NO_DATA) {
                lastResult_ = SQL_SUCCESS;
                return;
            }
            if (!odbc32::Succeeded(lastResult_)) return;
            exporting::BuildDataLine(line_, options_, columns_, appendDate);
            file_.WriteLine(line_);
            ++rowCount_;
            CountCutValues();
            if (limited && limit == rowCount_) return;
        }
    }

    void CountCutValues() {
        std::int32_t cut = 0;
        for (const exporting::BoundColumn& c : columns_) cut += exporting::ArrivedCut(c) ? 1 : 0;
        if (cut == 0) return;
        cutValues_ += cut;
        // Kept per row until the rows are in the file, so that a failed
        // write can leave out the rows it lost.
        cutRows_.emplace_back(rowCount_, cut);
        if (cutRows_.size() > 4096) ForgetCutRowsInFile();
    }

    std::int64_t RowsInFile() const {
        const auto lines = static_cast<std::int64_t>(file_.LinesInFile());
        return lines > headingLines_ ? lines - headingLines_ : 0;
    }

    void ForgetCutRowsInFile() {
        const std::int64_t inFile = RowsInFile();
        std::size_t n = 0;
        while (n < cutRows_.size() && cutRows_[n].first <= inFile) ++n;
        cutRows_.erase(cutRows_.begin(), cutRows_.begin() + static_cast<std::ptrdiff_t>(n));
    }

    // After a failed write the file holds whole lines only; the count and
    // the box follow the file.
    void FollowTheFile() {
        const std::int64_t inFile = RowsInFile();
        if (inFile >= rowCount_) return;
        rowCount_ = inFile;
        for (const auto& [row, cut] : cutRows_)
            if (row > inFile) cutValues_ -= cut;
    }

    void ShowEndBox() {
        if (tooManyColumns_) {
            vcl::MessageDlg(vcl::Ansi("列が多すぎます（") + vcl::IntToStr(columnCount_) +
                                vcl::Ansi(" 列）。出力できるのは 1000 列までです。"),
                            vcl::MsgKind::Error, vcl::MsgButtons::Ok);
        } else if (!odbc32::Succeeded(lastResult_)) {
            odbc32::ShowODBCError(hEnv, hDbc, hStmt_);
        } else {
            w_.SetProgressText(ProgressText(rowCount_));
            vcl::MessageDlg(InformationText(rowCount_, cutValues_), vcl::MsgKind::Information, vcl::MsgButtons::Ok);
        }
    }

    // The end-of-run steps. Each runs even when one before it raised; the
    // first exception goes on once the window is idle again, so a file that
    // cannot be closed leaves no window in its running state.
    void End(std::exception_ptr failure) {
        auto step = [&failure](auto&& f) {
            try {
                f();
            } catch (...) {
                if (!failure) failure = std::current_exception();
            }
        };
        // What the writer still holds goes to the system before the count is
        // reported: a full disk shows here, and the box then counts the rows
        // the file really holds.
        if (fileOpen_ && !file_.Failed()) step([&] { file_.Commit(); });
        if (fileOpen_ && file_.Failed()) FollowTheFile();
        step([&] { ShowEndBox(); });
        step([&] {
            if (hStmt_ != nullptr) odbc32::SQLFreeStmt(hStmt_, SQL_DROP);
        });
        step([&] {
            if (fileOpen_) file_.Close();
        });
        step([&] { w_.SetProgressText(std::string()); });
        OutputState = 0;
        step([&] { w_.SetRunningControls(false); });
        dlg_.reset();
        vcl::SetScreenCursor(vcl::TCursor::crDefault);
        if (failure) std::rethrow_exception(failure);
    }

    TExportWindow& w_;
    std::unique_ptr<TFileDlg> dlg_;
    const std::string delimiter_;

    // The run variables.
    SQLHSTMT hStmt_ = nullptr;
    SQLRETURN lastResult_ = SQL_SUCCESS;
    SQLSMALLINT columnCount_ = 0;
    // Counted in 64 bits: a result of more than 2,147,483,647 rows must not
    // wrap the count (and with it the progress and the row limit).
    std::int64_t rowCount_ = 0;
    bool fileOpen_ = false;
    exporting::TDateState dateState_;

    bool tooManyColumns_ = false;
    std::int64_t cutValues_ = 0;
    std::vector<std::pair<std::int64_t, std::int32_t>> cutRows_;  // row number, values cut in it
    std::int64_t headingLines_ = 0;
    exporting::LineOptions options_;
    std::string pattern_;
    std::vector<exporting::BoundColumn> columns_;
    std::string line_;
    vcl::TTextFile file_;
};

}  // namespace

bool IsSelectStatement(std::string_view statement) {
    std::size_t i = 0;
    while (i < statement.size() && static_cast<unsigned char>(statement[i]) <= 32) ++i;
    constexpr std::string_view kSelect = "SELECT";
    if (statement.size() - i < kSelect.size()) return false;
    for (std::size_t k = 0; k < kSelect.size(); ++k) {
        char c = statement[i + k];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != kSelect[k]) return false;
    }
    return true;
}

std::string InformationText(std::int64_t rows, std::int64_t cutValues) {
    std::string text = vcl::IntToStr(rows) + vcl::Ansi("件出力しました。");
    if (cutValues > 0) {
        text += '\n';
        text += vcl::IntToStr(cutValues);
        text += vcl::Ansi("個の値が長すぎて切り詰められました。");
    }
    return text;
}

void Run(TExportWindow& w) {
    if (OutputState == 1) {
        if (vcl::MessageDlg(vcl::Ansi("中断しますか？"), vcl::MsgKind::Confirmation, vcl::MsgButtons::YesNo) ==
            vcl::mrYes)
            OutputState = 2;
        return;
    }
    // An abort confirmed but not yet noticed: the run is still going on, and
    // a second one must not start inside it.
    if (OutputState == 2) return;

    if (!IsSelectStatement(w.StatementText())) {
        vcl::MessageDlg(vcl::Ansi("SELECT 文のみ指定できます。"), vcl::MsgKind::Warning, vcl::MsgButtons::Ok);
        w.FocusStatement();
        return;
    }
    std::string delimiter = w.DelimiterText();
    auto dlg = std::make_unique<TFileDlg>(w.Handle());
    dlg->FileName.clear();
    dlg->Filter = vcl::Ansi("すべてのﾌｧｲﾙ|*.*");
    dlg->Options = kSaveOptions;
    if (!dlg->Execute()) return;
    TRun(w, std::move(dlg), std::move(delimiter)).Go();
}

}  // namespace exportrun
