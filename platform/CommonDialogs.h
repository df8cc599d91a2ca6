// The common open and save dialogs: the ANSI OPENFILENAME record, its flags,
// and GetOpenFileNameA / GetSaveFileNameA over a (non-native) QFileDialog.
//
// Both calls go through one replaceable function, so tests can look at the
// record a caller built and answer it without an event loop.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/WinTypes.h"

namespace vcl {

using LPOFNHOOKPROC = std::uintptr_t (*)(HWND, UINT, WPARAM, LPARAM);

// The ANSI OPENFILENAME record in its 76-byte form: the members up to
// lpTemplateName, in their order. 76 is its size with 32-bit pointers; with
// 64-bit pointers the struct is bigger, but callers still write 76 into
// lStructSize, the value that names this form of the record, and the dialog
// accepts it.
struct OPENFILENAMEA {
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;             // the program's module (MainInstance()); not used here
    const char* lpstrFilter;         // pairs "description\0pattern\0", ended by an empty description
    char* lpstrCustomFilter;         // not supported; left alone
    DWORD nMaxCustFilter;
    DWORD nFilterIndex;              // 1-based; 0 means the first pair
    char* lpstrFile;                 // in: initial name; out: the answer
    DWORD nMaxFile;                  // bytes available at lpstrFile, its NULs included
    char* lpstrFileTitle;            // out (optional): the chosen name without its directory
    DWORD nMaxFileTitle;
    const char* lpstrInitialDir;
    const char* lpstrTitle;          // null or empty: the dialog's own title
    DWORD Flags;
    WORD nFileOffset;                // out: offset of the name within lpstrFile
    WORD nFileExtension;             // out: offset of the extension, 0 when none
    const char* lpstrDefExt;         // appended, with a dot, to a typed name without extension
    LPARAM lCustData;
    LPOFNHOOKPROC lpfnHook;          // hooks and templates are not supported
    const char* lpTemplateName;
};

inline constexpr DWORD OPENFILENAME_SIZE_VERSION_400A = 76;
static_assert(sizeof(void*) != 4 || sizeof(OPENFILENAMEA) == OPENFILENAME_SIZE_VERSION_400A);

inline constexpr DWORD OFN_READONLY = 0x1;
inline constexpr DWORD OFN_OVERWRITEPROMPT = 0x2;
inline constexpr DWORD OFN_HIDEREADONLY = 0x4;
inline constexpr DWORD OFN_NOCHANGEDIR = 0x8;
inline constexpr DWORD OFN_SHOWHELP = 0x10;
inline constexpr DWORD OFN_ENABLEHOOK = 0x20;
inline constexpr DWORD OFN_ENABLETEMPLATE = 0x40;
inline constexpr DWORD OFN_ENABLETEMPLATEHANDLE = 0x80;
inline constexpr DWORD OFN_NOVALIDATE = 0x100;
inline constexpr DWORD OFN_ALLOWMULTISELECT = 0x200;
inline constexpr DWORD OFN_EXTENSIONDIFFERENT = 0x400;
inline constexpr DWORD OFN_PATHMUSTEXIST = 0x800;
inline constexpr DWORD OFN_FILEMUSTEXIST = 0x1000;
inline constexpr DWORD OFN_CREATEPROMPT = 0x2000;
inline constexpr DWORD OFN_SHAREAWARE = 0x4000;
inline constexpr DWORD OFN_NOREADONLYRETURN = 0x8000;
inline constexpr DWORD OFN_NOTESTFILECREATE = 0x10000;
inline constexpr DWORD OFN_NONETWORKBUTTON = 0x20000;
inline constexpr DWORD OFN_NOLONGNAMES = 0x40000;
inline constexpr DWORD OFN_EXPLORER = 0x80000;
inline constexpr DWORD OFN_NODEREFERENCELINKS = 0x100000;

// What the dialog honours: the owner, title, filter list and nFilterIndex,
// initial directory and name, default extension, and the flags
// OFN_OVERWRITEPROMPT, OFN_PATHMUSTEXIST, OFN_FILEMUSTEXIST,
// OFN_CREATEPROMPT, OFN_ALLOWMULTISELECT (open only), OFN_READONLY with
// OFN_HIDEREADONLY (the check box, open only), OFN_NOREADONLYRETURN and
// OFN_NODEREFERENCELINKS; OFN_EXTENSIONDIFFERENT and OFN_READONLY are set on
// return. The process's current directory is never changed, as if
// OFN_NOCHANGEDIR were always given. A chosen path with no exact form in the
// ANSI code page is refused in the dialog, with a message.
//
// Nonzero when the user confirmed a name that was written into lpstrFile;
// 0 on cancel and on every failure (a bad record, an answer that does not
// fit in nMaxFile), with lpstrFile left as it was.
BOOL GetOpenFileNameA(OPENFILENAMEA* ofn);
BOOL GetSaveFileNameA(OPENFILENAMEA* ofn);

enum class FileDialogKind { Open, Save };

// The one seam behind both calls. Replaces the dialog and returns the previous
// function; an empty function restores the real dialog.
using FileDialogFn = std::function<BOOL(OPENFILENAMEA* ofn, FileDialogKind kind)>;
FileDialogFn SetFileDialogFn(FileDialogFn fn);

// The real dialog: a modal QFileDialog (never the desktop's native one, so it
// looks and behaves the same everywhere, offscreen included), in Japanese.
BOOL ShowRealFileDialog(OPENFILENAMEA* ofn, FileDialogKind kind);

// The program's module instance, for the record's hInstance.
HINSTANCE MainInstance();

}  // namespace vcl
