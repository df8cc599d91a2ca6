// TFileDlg: a plain object over the common open and save dialogs. The caller
// fills the public fields, calls Execute (save) or DoExecute (open or save)
// and reads the chosen name or names back. The dialog record is built afresh
// on every call, from the fields alone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

class TFileDlg {
public:
    explicit TFileDlg(HWND parentHandle);
    virtual ~TFileDlg();
    TFileDlg(const TFileDlg&) = delete;
    TFileDlg& operator=(const TFileDlg&) = delete;

    // Runs the save dialog: DoExecute(2).
    bool Execute();
    // mode 1: open dialog, 2: save dialog. True when the user confirmed a
    // name. On false (cancel or any failure of the dialog) Files is empty and
    // every other field keeps its value.
    bool DoExecute(std::int32_t mode);

    // Texts are byte texts in the ANSI code page; paths use '/'.
    HWND ParentHandle;               // owner of the dialog
    std::string DefaultExt;          // without its dot; appended to a typed name that has none
    std::string FileName;            // in: the name shown; out: the chosen (first) name
    std::vector<std::string> Files;  // every name chosen in the last run that ended with true
    std::string Filter;              // "description|pattern|description|pattern..."
    std::int32_t FilterIndex;        // 1-based; in: selected at start; out: selected at the end
    std::string InitialDir;
    std::uint32_t Options;           // bits 0-17, see OptionFlags in FileDlgs.cpp; 18-31 ignored
    std::string Title;

    // The option bits this object reads or writes itself.
    static constexpr std::uint32_t ofReadOnly = 1u << 0;            // also an output
    static constexpr std::uint32_t ofAllowMultiSelect = 1u << 6;
    static constexpr std::uint32_t ofExtensionDifferent = 1u << 7;  // also an output

private:
    std::string ConvertFilter() const;
    // One name from pos; pos moves past it.
    static std::string TakeName(const std::string& buffer, std::size_t& pos);
    void ParseFileNames(const std::string& buffer);
};
