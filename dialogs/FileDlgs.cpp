#include "dialogs/FileDlgs.h"

#include <array>
#include <string_view>

#include "platform/AnsiText.h"
#include "platform/CommonDialogs.h"

namespace {

// Option bit i adds OptionFlags[i] to the record's Flags. The table jumps
// from 0x10 to 0x100: hooks and templates (0x20-0x80) have no option and
// never reach the dialog.
constexpr std::array<DWORD, 18> OptionFlags = {
    vcl::OFN_READONLY,         vcl::OFN_OVERWRITEPROMPT,  vcl::OFN_HIDEREADONLY,      vcl::OFN_NOCHANGEDIR,
    vcl::OFN_SHOWHELP,         vcl::OFN_NOVALIDATE,       vcl::OFN_ALLOWMULTISELECT,  vcl::OFN_EXTENSIONDIFFERENT,
    vcl::OFN_PATHMUSTEXIST,    vcl::OFN_FILEMUSTEXIST,    vcl::OFN_CREATEPROMPT,      vcl::OFN_SHAREAWARE,
    vcl::OFN_NOREADONLYRETURN, vcl::OFN_NOTESTFILECREATE, vcl::OFN_NONETWORKBUTTON,   vcl::OFN_NOLONGNAMES,
    vcl::OFN_EXPLORER,         vcl::OFN_NODEREFERENCELINKS,
};

constexpr DWORD kSingleMaxFile = 260;
constexpr DWORD kMultiMaxFile = 10240;
constexpr char kPathDelimiter = '/';

DWORD FlagsOf(std::uint32_t options) {
    DWORD flags = vcl::OFN_EXPLORER;
    for (std::size_t bit = 0; bit < OptionFlags.size(); ++bit) {
        if (options & (1u << bit)) flags |= OptionFlags[bit];
    }
    return flags;
}

// At most limit bytes of text, never ending inside a multibyte character.
std::string_view LeadingPart(std::string_view text, std::size_t limit) {
    std::size_t end = 0;
    while (end < text.size()) {
        std::size_t next = end + vcl::CharLength(text, end);
        if (next > limit) break;
        end = next;
    }
    return text.substr(0, end);
}

// The last character of text, taken whole (a trail byte is no character).
std::string_view LastChar(std::string_view text) {
    std::size_t i = 0;
    std::size_t last = 0;
    while (i < text.size()) {
        last = i;
        i += vcl::CharLength(text, i);
    }
    return text.substr(last);
}

bool KeepsItsOwnPath(std::string_view name) {
    if (!name.empty() && name.front() == kPathDelimiter) return true;
    return name.size() > 3 && name[1] == ':' && name[2] == kPathDelimiter;
}

}  // namespace

TFileDlg::TFileDlg(HWND parentHandle) : ParentHandle(parentHandle), FilterIndex(0), Options(0) {}

TFileDlg::~TFileDlg() = default;

bool TFileDlg::Execute() { return DoExecute(2); }

bool TFileDlg::DoExecute(std::int32_t mode) {
    if (mode != 1 && mode != 2) return false;

    // Several names come back separated by NULs. Every record here starts with
    // OFN_EXPLORER and option 16 is that same flag, so every dialog is of the
    // Explorer kind, which always answers in that form: the answer is split at
    // NULs whether option 16 is set or not.
    Files.clear();

    const bool multiSelect = (Options & ofAllowMultiSelect) != 0;
    const DWORD maxFile = multiSelect ? kMultiMaxFile : kSingleMaxFile;
    const std::string filter = ConvertFilter();

    // The dialog is told maxFile, so at least two zero bytes always follow
    // whatever it writes.
    std::string buffer(maxFile + 2, '\0');
    const std::string_view seed = LeadingPart(FileName, maxFile);
    buffer.replace(0, seed.size(), seed);

    vcl::OPENFILENAMEA ofn{};
    ofn.lStructSize = vcl::OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = ParentHandle;
    ofn.hInstance = vcl::MainInstance();
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(FilterIndex);
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = maxFile;
    ofn.lpstrInitialDir = InitialDir.c_str();
    ofn.lpstrTitle = Title.c_str();
    ofn.Flags = FlagsOf(Options);
    ofn.lpstrDefExt = DefaultExt.empty() ? nullptr : DefaultExt.c_str();

    const BOOL confirmed = mode == 1 ? vcl::GetOpenFileNameA(&ofn) : vcl::GetSaveFileNameA(&ofn);
    if (!confirmed) return false;

    if (multiSelect) {
        ParseFileNames(buffer);
        FileName = Files.front();
    } else {
        std::size_t pos = 0;
        FileName = TakeName(buffer, pos);
        Files.push_back(FileName);
    }

    Options = (ofn.Flags & vcl::OFN_EXTENSIONDIFFERENT) ? (Options | ofExtensionDifferent) : (Options & ~ofExtensionDifferent);
    Options = (ofn.Flags & vcl::OFN_READONLY) ? (Options | ofReadOnly) : (Options & ~ofReadOnly);
    FilterIndex = static_cast<std::int32_t>(ofn.nFilterIndex);
    return true;
}

// "a|*.a|b|*.b" becomes "a\0*.a\0b\0*.b\0", so that with the NUL ending every
// text the list ends in two NULs. An empty Filter gives the empty list.
std::string TFileDlg::ConvertFilter() const {
    if (Filter.empty()) return {};
    std::string list = Filter;
    for (std::size_t bar = vcl::AnsiPos("|", list); bar != std::string::npos; bar = vcl::AnsiPos("|", list, bar + 1)) {
        list[bar] = '\0';
    }
    list.push_back('\0');
    return list;
}

std::string TFileDlg::TakeName(const std::string& buffer, std::size_t& pos) {
    if (pos >= buffer.size()) return {};
    std::size_t end = buffer.find('\0', pos);
    if (end == std::string::npos) end = buffer.size();
    std::string name = buffer.substr(pos, end - pos);
    pos = end + 1;
    return name;
}

// A multi-selection answer: the directory, then the names. With one file
// chosen the directory is its full path and no name follows.
void TFileDlg::ParseFileNames(const std::string& buffer) {
    std::size_t pos = 0;
    std::string dir = TakeName(buffer, pos);
    std::string name = TakeName(buffer, pos);
    if (name.empty()) {
        Files.push_back(dir);
        return;
    }
    if (LastChar(dir) != std::string_view(&kPathDelimiter, 1)) dir.push_back(kPathDelimiter);
    while (!name.empty()) {
        Files.push_back(KeepsItsOwnPath(name) ? name : dir + name);
        name = TakeName(buffer, pos);
    }
}
