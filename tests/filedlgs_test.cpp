// TFileDlg against the common dialog seam: the record it builds, how it reads
// the answer back, and what it keeps on cancel.
#include <gtest/gtest.h>

#include "support/CodePageScope.h"

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "dialogs/FileDlgs.h"
#include "platform/AnsiText.h"
#include "platform/CommonDialogs.h"

using namespace std::string_literals;
using vcl::OPENFILENAMEA;

namespace {

// A filter list as the dialog reads it: texts up to the first empty one,
// each with its NUL.
std::string ListBytes(const char* p) {
    std::string bytes;
    for (;;) {
        std::size_t n = std::strlen(p);
        bytes.append(p, n + 1);
        if (n == 0) return bytes;
        p += n + 1;
    }
}

// What the dialog was given, copied while the record's pointers are valid.
struct SeenCall {
    OPENFILENAMEA ofn;
    vcl::FileDialogKind kind;
    std::string filter;
    std::string nameBuffer;  // all nMaxFile + 2 bytes
    bool filterNull, initialDirNull, titleNull, defExtNull;
    std::string initialDir, title, defExt;
};

// Stands in for the dialog while it lives; answer decides what it returns.
class DialogSeam {
public:
    DialogSeam() {
        previous_ = vcl::SetFileDialogFn([this](OPENFILENAMEA* ofn, vcl::FileDialogKind kind) {
            SeenCall call{};
            call.ofn = *ofn;
            call.kind = kind;
            call.filterNull = ofn->lpstrFilter == nullptr;
            call.initialDirNull = ofn->lpstrInitialDir == nullptr;
            call.titleNull = ofn->lpstrTitle == nullptr;
            call.defExtNull = ofn->lpstrDefExt == nullptr;
            if (!call.filterNull) call.filter = ListBytes(ofn->lpstrFilter);
            if (!call.initialDirNull) call.initialDir = ofn->lpstrInitialDir;
            if (!call.titleNull) call.title = ofn->lpstrTitle;
            if (!call.defExtNull) call.defExt = ofn->lpstrDefExt;
            call.nameBuffer.assign(ofn->lpstrFile, ofn->nMaxFile + 2);
            calls.push_back(call);
            return answer ? answer(*ofn) : 0;
        });
    }
    ~DialogSeam() { vcl::SetFileDialogFn(std::move(previous_)); }
    DialogSeam(const DialogSeam&) = delete;
    DialogSeam& operator=(const DialogSeam&) = delete;

    std::function<BOOL(OPENFILENAMEA&)> answer;
    std::vector<SeenCall> calls;

private:
    vcl::FileDialogFn previous_;
};

// An answer that writes bytes into the name buffer and confirms.
std::function<BOOL(OPENFILENAMEA&)> Answers(std::string bytes) {
    return [bytes](OPENFILENAMEA& ofn) {
        std::memcpy(ofn.lpstrFile, bytes.data(), bytes.size());
        return BOOL{1};
    };
}

HWND FakeOwner() { return reinterpret_cast<HWND>(std::uintptr_t{0x1234}); }

}  // namespace

TEST(FileDlg, ConstructionValues) {
    TFileDlg dlg(FakeOwner());
    EXPECT_EQ(dlg.ParentHandle, FakeOwner());
    EXPECT_EQ(dlg.DefaultExt, "");
    EXPECT_EQ(dlg.FileName, "");
    EXPECT_TRUE(dlg.Files.empty());
    EXPECT_EQ(dlg.Filter, "");
    EXPECT_EQ(dlg.FilterIndex, 0);
    EXPECT_EQ(dlg.InitialDir, "");
    EXPECT_EQ(dlg.Options, 0u);
    EXPECT_EQ(dlg.Title, "");
}

// The dialog exactly as the export asks for it, in both code pages.
TEST(FileDlg, RecordForTheExportSettings) {
    for (vcl::CodePage cp : {vcl::CodePage::Cp932, vcl::CodePage::Utf8}) {
        CodePageScope scope(cp);
        DialogSeam seam;
        seam.answer = Answers("/home/user/out\0"s);
        TFileDlg dlg(FakeOwner());
        dlg.FileName = "";
        dlg.Filter = vcl::Ansi("すべてのﾌｧｲﾙ|*.*");
        dlg.Options = 4358;

        ASSERT_TRUE(dlg.Execute());
        ASSERT_EQ(seam.calls.size(), 1u);
        const SeenCall& c = seam.calls[0];
        EXPECT_EQ(c.kind, vcl::FileDialogKind::Save);
        EXPECT_EQ(c.ofn.lStructSize, 76u);
        EXPECT_EQ(c.ofn.hwndOwner, FakeOwner());
        EXPECT_EQ(c.ofn.hInstance, vcl::MainInstance());
        EXPECT_EQ(c.ofn.Flags, vcl::OFN_EXPLORER | vcl::OFN_OVERWRITEPROMPT | vcl::OFN_HIDEREADONLY |
                                   vcl::OFN_PATHMUSTEXIST | vcl::OFN_NOREADONLYRETURN);
        EXPECT_EQ(c.ofn.nMaxFile, 260u);
        EXPECT_EQ(c.ofn.nFilterIndex, 0u);
        EXPECT_TRUE(c.defExtNull);
        ASSERT_FALSE(c.filterNull);
        EXPECT_EQ(c.filter, vcl::Ansi("すべてのﾌｧｲﾙ") + "\0*.*\0\0"s);
        EXPECT_FALSE(c.initialDirNull);
        EXPECT_EQ(c.initialDir, "");
        EXPECT_FALSE(c.titleNull);
        EXPECT_EQ(c.title, "");
        EXPECT_EQ(c.ofn.lpstrCustomFilter, nullptr);
        EXPECT_EQ(c.ofn.nMaxCustFilter, 0u);
        EXPECT_EQ(c.ofn.lpstrFileTitle, nullptr);
        EXPECT_EQ(c.ofn.nMaxFileTitle, 0u);
        EXPECT_EQ(c.ofn.lCustData, 0);
        EXPECT_EQ(c.ofn.lpfnHook, nullptr);
        EXPECT_EQ(c.ofn.lpTemplateName, nullptr);
        EXPECT_EQ(c.nameBuffer, std::string(262, '\0'));

        EXPECT_EQ(dlg.FileName, "/home/user/out");  // no extension added
        EXPECT_EQ(dlg.Files, std::vector<std::string>{"/home/user/out"});
    }
}

TEST(FileDlg, OptionTableToFlags) {
    const DWORD allTableFlags = 0x1 | 0x2 | 0x4 | 0x8 | 0x10 | 0x100 | 0x200 | 0x400 | 0x800 | 0x1000 | 0x2000 |
                                0x4000 | 0x8000 | 0x10000 | 0x20000 | 0x40000 | 0x80000 | 0x100000;
    struct Case { std::uint32_t options; DWORD flags; DWORD maxFile; };
    const Case cases[] = {
        {0, vcl::OFN_EXPLORER, 260},
        {0x3FFFF, allTableFlags, 10240},                       // no 0x20, 0x40, 0x80
        {0xFFFC0000u, vcl::OFN_EXPLORER, 260},                 // bits 18-31 ignored
        {1u << 5, vcl::OFN_EXPLORER | vcl::OFN_NOVALIDATE, 260},
        {1u << 6, vcl::OFN_EXPLORER | vcl::OFN_ALLOWMULTISELECT, 10240},
        {1u << 16, vcl::OFN_EXPLORER, 260},
        {1u << 17, vcl::OFN_EXPLORER | vcl::OFN_NODEREFERENCELINKS, 260},
    };
    for (const Case& k : cases) {
        DialogSeam seam;
        TFileDlg dlg(nullptr);
        dlg.Options = k.options;
        EXPECT_FALSE(dlg.DoExecute(1));
        ASSERT_EQ(seam.calls.size(), 1u);
        EXPECT_EQ(seam.calls[0].kind, vcl::FileDialogKind::Open);
        EXPECT_EQ(seam.calls[0].ofn.Flags, k.flags) << std::hex << k.options;
        EXPECT_EQ(seam.calls[0].ofn.nMaxFile, k.maxFile) << std::hex << k.options;
        EXPECT_EQ(seam.calls[0].nameBuffer, std::string(k.maxFile + 2, '\0'));
    }
}

TEST(FileDlg, OtherFieldsReachTheRecord) {
    DialogSeam seam;
    TFileDlg dlg(nullptr);
    dlg.DefaultExt = "csv";
    dlg.InitialDir = "/srv/data";
    dlg.Title = vcl::Ansi("出力先");
    dlg.FileName = "old.csv";
    dlg.FilterIndex = 2;
    EXPECT_FALSE(dlg.Execute());
    ASSERT_EQ(seam.calls.size(), 1u);
    const SeenCall& c = seam.calls[0];
    EXPECT_EQ(c.defExt, "csv");
    EXPECT_EQ(c.initialDir, "/srv/data");
    EXPECT_EQ(c.title, vcl::Ansi("出力先"));
    EXPECT_EQ(c.ofn.nFilterIndex, 2u);
    EXPECT_EQ(c.nameBuffer, "old.csv" + std::string(262 - 7, '\0'));
}

TEST(FileDlg, ConvertFilter) {
    CodePageScope scope(vcl::CodePage::Cp932);
    struct Case { std::string filter; std::string list; };
    const Case cases[] = {
        {"", "\0"s},  // an empty list, yet a pointer to it
        {vcl::Ansi("すべてのﾌｧｲﾙ|*.*"), vcl::Ansi("すべてのﾌｧｲﾙ") + "\0*.*\0\0"s},
        {"CSV|*.csv|Text|*.txt;*.log", "CSV\0*.csv\0Text\0*.txt;*.log\0\0"s},
        // 0x95 0x7C is one character; its trail byte is no separator.
        {"\x95\x7C|*.txt", "\x95\x7C\0*.txt\0\0"s},
    };
    for (const Case& k : cases) {
        DialogSeam seam;
        TFileDlg dlg(nullptr);
        dlg.Filter = k.filter;
        dlg.Execute();
        ASSERT_EQ(seam.calls.size(), 1u);
        EXPECT_FALSE(seam.calls[0].filterNull);
        EXPECT_EQ(seam.calls[0].filter, k.list) << k.filter;
    }
}

TEST(FileDlg, ParseFileNames) {
    struct Case { std::string answer; std::vector<std::string> files; };
    const Case cases[] = {
        {"/data\0a.csv\0b.csv\0\0"s, {"/data/a.csv", "/data/b.csv"}},
        {"/\0a.csv\0\0"s, {"/a.csv"}},                          // root: no second delimiter
        {"/data/a.csv\0\0"s, {"/data/a.csv"}},                  // one file: its full path
        {"/data\0/other/x.csv\0b.csv\0\0"s, {"/other/x.csv", "/data/b.csv"}},
        {"/data\0abc\0\0"s, {"/data/abc"}},                     // three characters
        {"/data\0c:/\0\0"s, {"/data/c:/"}},                     // three characters, drive form
        {"/data\0c:/x\0\0"s, {"c:/x"}},                         // drive form, longer
        {"/data/\0a\0\0"s, {"/data/a"}},
    };
    for (const Case& k : cases) {
        DialogSeam seam;
        seam.answer = Answers(k.answer);
        TFileDlg dlg(nullptr);
        dlg.Options = TFileDlg::ofAllowMultiSelect;
        ASSERT_TRUE(dlg.DoExecute(1));
        EXPECT_EQ(dlg.Files, k.files);
        EXPECT_EQ(dlg.FileName, k.files.front());
    }
}

TEST(FileDlg, CancelKeepsEverythingButFiles) {
    DialogSeam seam;
    seam.answer = Answers("/data\0a.csv\0b.csv\0\0"s);
    TFileDlg dlg(nullptr);
    dlg.Options = TFileDlg::ofAllowMultiSelect | TFileDlg::ofReadOnly;
    ASSERT_TRUE(dlg.DoExecute(1));
    ASSERT_EQ(dlg.Files.size(), 2u);
    dlg.FileName = "/keep/me.csv";
    dlg.FilterIndex = 3;
    const std::uint32_t options = dlg.Options;

    // A dialog that fails after writing into the record changes nothing either.
    seam.answer = [](OPENFILENAMEA& ofn) {
        std::memcpy(ofn.lpstrFile, "/junk\0", 6);
        ofn.Flags = vcl::OFN_EXTENSIONDIFFERENT;
        ofn.nFilterIndex = 9;
        return BOOL{0};
    };
    EXPECT_FALSE(dlg.DoExecute(1));
    EXPECT_TRUE(dlg.Files.empty());
    EXPECT_EQ(dlg.FileName, "/keep/me.csv");
    EXPECT_EQ(dlg.FilterIndex, 3);
    EXPECT_EQ(dlg.Options, options);
}

TEST(FileDlg, FeedbackOfReadOnlyExtensionAndFilter) {
    DialogSeam seam;
    TFileDlg dlg(nullptr);
    dlg.Options = (1u << 1) | (1u << 20);
    dlg.FilterIndex = 0;

    seam.answer = [](OPENFILENAMEA& ofn) {
        std::memcpy(ofn.lpstrFile, "/a.txt\0", 7);
        ofn.Flags |= vcl::OFN_READONLY | vcl::OFN_EXTENSIONDIFFERENT;
        ofn.nFilterIndex = 2;
        return BOOL{1};
    };
    ASSERT_TRUE(dlg.DoExecute(1));
    EXPECT_EQ(dlg.Options, (1u << 0) | (1u << 1) | (1u << 7) | (1u << 20));
    EXPECT_EQ(dlg.FilterIndex, 2);

    // The answers seed the next run, whose dialog clears both flags.
    seam.answer = [](OPENFILENAMEA& ofn) {
        std::memcpy(ofn.lpstrFile, "/b.csv\0", 7);
        ofn.Flags &= ~(vcl::OFN_READONLY | vcl::OFN_EXTENSIONDIFFERENT);
        return BOOL{1};
    };
    ASSERT_TRUE(dlg.DoExecute(1));
    ASSERT_EQ(seam.calls.size(), 2u);
    EXPECT_EQ(seam.calls[1].ofn.Flags & (vcl::OFN_READONLY | vcl::OFN_EXTENSIONDIFFERENT),
              vcl::OFN_READONLY | vcl::OFN_EXTENSIONDIFFERENT);
    EXPECT_EQ(seam.calls[1].ofn.nFilterIndex, 2u);
    EXPECT_EQ(seam.calls[1].nameBuffer.substr(0, 7), "/a.txt\0"s);
    EXPECT_EQ(dlg.Options, (1u << 1) | (1u << 20));
    EXPECT_EQ(dlg.FilterIndex, 2);
    EXPECT_EQ(dlg.FileName, "/b.csv");
}

TEST(FileDlg, LongFileNameIsCutWhenSeeding) {
    CodePageScope scope(vcl::CodePage::Cp932);
    struct Case { std::string fileName; std::size_t kept; };
    std::string wide = "a";
    for (int i = 0; i < 130; ++i) wide += "\x82\xA0";  // 261 bytes
    const Case cases[] = {
        {std::string(300, 'n'), 260},
        {std::string(260, 'n'), 260},
        {wide, 259},  // a double-byte character is not split
    };
    for (const Case& k : cases) {
        DialogSeam seam;
        TFileDlg dlg(nullptr);
        dlg.FileName = k.fileName;
        EXPECT_FALSE(dlg.Execute());
        ASSERT_EQ(seam.calls.size(), 1u);
        EXPECT_EQ(seam.calls[0].nameBuffer, k.fileName.substr(0, k.kept) + std::string(262 - k.kept, '\0'));
        EXPECT_EQ(dlg.FileName, k.fileName);
    }
}

TEST(FileDlg, UnknownModeShowsNoDialog) {
    DialogSeam seam;
    seam.answer = Answers("/x\0"s);
    TFileDlg dlg(nullptr);
    dlg.FileName = "keep";
    EXPECT_FALSE(dlg.DoExecute(0));
    EXPECT_FALSE(dlg.DoExecute(3));
    EXPECT_TRUE(seam.calls.empty());
    EXPECT_EQ(dlg.FileName, "keep");
}
