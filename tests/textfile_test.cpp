// The buffered text-file writer: bytes as given, few system calls, and every
// failure raised as the input/output error with its message.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/AnsiText.h"
#include "platform/TextFile.h"
#include "support/OdbcTestEnv.h"
#include "support/ScratchMount.h"

namespace {

std::string Path(const std::string& name) { return testenv::WorkDir() + "/" + name; }

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The error Rewrite raises for a path, or a failure when it raises none.
vcl::EInOutError RewriteError(const std::string& path) {
    vcl::TTextFile f;
    try {
        f.Rewrite(path);
    } catch (const vcl::EInOutError& e) {
        return e;
    }
    ADD_FAILURE() << "no error for " << path;
    return vcl::EInOutError("", 0);
}

TEST(TextFile, WritesTheBytesAndLineEndsAsGivenReplacingTheOldFile) {
    const std::string path = Path("plain.txt");
    std::ofstream(path) << "an older and much longer content that must go entirely";
    vcl::TTextFile f;
    f.Rewrite(path);
    const std::string value("a\0b\"\xE5\xB1\xB1\r\n,", 10);
    f.WriteLine(value);
    f.WriteLine("");
    f.Write("no end");
    // Others may read the file while it is open.
    std::ifstream reader(path, std::ios::binary);
    EXPECT_TRUE(reader.good());
    f.Close();
    EXPECT_FALSE(f.IsOpen());
    EXPECT_EQ(Bytes(path), value + "\r\n\r\nno end");
    EXPECT_EQ(f.LinesInFile(), 2u);
}

TEST(TextFile, NamesReachTheFileSystemInUtf8UnderEitherCodePage) {
    const vcl::CodePage saved = vcl::AnsiCodePage();
    for (vcl::CodePage cp : {vcl::CodePage::Utf8, vcl::CodePage::Cp932}) {
        vcl::SetAnsiCodePage(cp);
        const std::string name = std::string("出力") + (cp == vcl::CodePage::Utf8 ? "u" : "s") + ".csv";
        vcl::TTextFile f;
        f.Rewrite(vcl::Ansi(testenv::WorkDir() + "/") + vcl::Ansi(name));
        f.WriteLine("x");
        f.Close();
        EXPECT_EQ(Bytes(Path(name)), "x\r\n") << name;
    }
    vcl::SetAnsiCodePage(saved);
}

TEST(TextFile, HoldsSmallWritesAndMakesFewSystemCalls) {
    const std::string path = Path("big.txt");
    vcl::TTextFile f;
    f.Rewrite(path);
    const std::string line(98, 'x');
    for (int i = 0; i < 1000; ++i) f.WriteLine(line);
    // Nothing reaches the file before the buffer is full.
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
    EXPECT_EQ(f.SystemWrites(), 0u);
    for (int i = 1000; i < 100000; ++i) f.WriteLine(line);
    const std::string huge(3 * vcl::TTextFile::kBufferSize + 7, 'h');  // larger than the buffer
    f.Write(huge);
    f.WriteLineEnd();
    f.Close();
    const std::uint64_t total = 100000u * 100u + huge.size() + 2;
    EXPECT_EQ(std::filesystem::file_size(path), total);
    EXPECT_LE(f.SystemWrites(), total / vcl::TTextFile::kBufferSize + 3);
    EXPECT_EQ(f.LinesInFile(), 100001u);
}

TEST(TextFile, ErrnoGivesTheCodeAndItsMessage) {
    struct Case {
        int err;
        int code;
        const char* message;
    };
    const Case cases[] = {
        {ENOENT, 2, "ﾌｧｲﾙが見つかりません"},
        {ENOTDIR, 3, "不正なﾌｧｲﾙ名です"},
        {EMFILE, 4, "ｵｰﾌﾟﾝしたﾌｧｲﾙが多すぎます"},
        {ENFILE, 4, "ｵｰﾌﾟﾝしたﾌｧｲﾙが多すぎます"},
        {EACCES, 5, "ﾌｧｲﾙへのｱｸｾｽが拒否されました"},
        {EPERM, 5, "ﾌｧｲﾙへのｱｸｾｽが拒否されました"},
        {EROFS, 5, "ﾌｧｲﾙへのｱｸｾｽが拒否されました"},
        {ENOSPC, 28, "I/O ｴﾗｰ (28)"},
        {EISDIR, 21, "I/O ｴﾗｰ (21)"},
        {EDQUOT, EDQUOT, "I/O ｴﾗｰ (122)"},
        // Same number as the code of denied access, but no denied access.
        {EIO, 5, "I/O ｴﾗｰ (5)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.err);
        EXPECT_EQ(vcl::InOutErrorCode(c.err), c.code);
        const vcl::EInOutError e = vcl::InOutError(c.err);
        EXPECT_EQ(e.ErrorCode(), c.code);
        EXPECT_EQ(vcl::AnsiToUtf8(e.Message()), c.message);
    }
}

TEST(TextFile, CreationFailuresOnRealPaths) {
    const std::string file = Path("a-file");
    std::ofstream(file) << "x";
    std::filesystem::create_directories(Path("a-dir"));
    struct Case {
        std::string path;
        int code;
    };
    const Case cases[] = {
        {Path("missing-dir/out.csv"), 2},
        {file + "/out.csv", 3},  // a file where a directory should be
        {Path("a-dir"), EISDIR},
        {"", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(RewriteError(c.path).ErrorCode(), c.code);
    }
}

TEST(TextFile, ReadOnlyPlaceIsDeniedAccess) {
    if (geteuid() == 0) {
        ScratchMount ro("16k", true);
        if (!ro.Mounted()) GTEST_SKIP() << "cannot mount a read-only tmpfs";
        EXPECT_EQ(RewriteError(ro.Dir() + "/out.csv").ErrorCode(), 5);
    } else {
        const std::string dir = Path("locked");
        std::filesystem::create_directories(dir);
        chmod(dir.c_str(), 0555);
        EXPECT_EQ(RewriteError(dir + "/out.csv").ErrorCode(), 5);
        chmod(dir.c_str(), 0755);
    }
}

TEST(TextFile, FullDeviceFailsAtTheHandOverAndTheCloseStillCloses) {
    vcl::TTextFile f;
    f.Rewrite("/dev/full");
    f.WriteLine("a line");  // held in the buffer
    try {
        f.Close();
        FAIL() << "no error";
    } catch (const vcl::EInOutError& e) {
        EXPECT_EQ(e.ErrorCode(), ENOSPC);
        EXPECT_EQ(vcl::AnsiToUtf8(e.Message()), "I/O ｴﾗｰ (28)");
    }
    EXPECT_FALSE(f.IsOpen());
    EXPECT_EQ(f.LinesInFile(), 0u);
    EXPECT_THROW(f.Write("more"), vcl::EInOutError);
}

TEST(TextFile, FullDiskLeavesWholeLinesOnly) {
    ScratchMount small("64k");
    if (!small.Mounted()) GTEST_SKIP() << "cannot mount a small tmpfs (needs root)";
    const std::string path = small.Dir() + "/out.csv";
    vcl::TTextFile f;
    f.Rewrite(path);
    // Lines of 37 bytes: no block boundary falls on a line end.
    const std::string line(35, 'y');
    std::uint64_t written = 0;
    try {
        for (; written < 100000; ++written) f.WriteLine(line);
        f.Commit();
        FAIL() << "the disk did not fill";
    } catch (const vcl::EInOutError& e) {
        EXPECT_EQ(e.ErrorCode(), ENOSPC);
    }
    EXPECT_TRUE(f.Failed());
    EXPECT_THROW(f.WriteLine(line), vcl::EInOutError);
    f.Close();
    const std::string bytes = Bytes(path);
    ASSERT_GT(f.LinesInFile(), 0u);
    EXPECT_LT(f.LinesInFile(), written);
    EXPECT_EQ(bytes.size(), f.LinesInFile() * 37);
    std::string expected;
    for (std::uint64_t i = 0; i < f.LinesInFile(); ++i) expected += line + "\r\n";
    EXPECT_EQ(bytes, expected);
}

}  // namespace
