// The buffered text-file writer: creates or replaces a file, takes bytes and
// line ends into a large buffer and hands them to the system only when the
// buffer is full and at the end. Every failure raises EInOutError with the
// message of its system error code.
//
// A failed write leaves the file holding whole lines only: the writer cuts
// the file back to the end of the last line the system took completely, and
// LinesInFile() says how many lines that is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SysUtils.h"

namespace vcl {

// The code an input/output error carries for an errno value: a missing file
// 2, a missing or bad directory 3, too many open files 4, access denied or a
// read-only file system 5; any other failure keeps its errno.
int InOutErrorCode(int err);
// The error as raised: the message for the code, "I/O ｴﾗｰ (%d)" for every
// code that has no message of its own.
EInOutError InOutError(int err);

class TTextFile {
public:
    // Large enough that an export of a million rows makes a few hundred
    // system calls, small enough not to matter beside the column buffers.
    static constexpr std::size_t kBufferSize = 256 * 1024;

    TTextFile();
    // Closes a file still open, handing over what it holds; a failure is
    // swallowed here (Close is the place that reports it).
    ~TTextFile();
    TTextFile(const TTextFile&) = delete;
    TTextFile& operator=(const TTextFile&) = delete;

    // Creates the file, or empties an existing one, for writing; others may
    // read it meanwhile. The name is a byte text in the ANSI code page.
    void Rewrite(const std::string& fileNameAnsi);
    bool IsOpen() const { return fd_ >= 0; }

    void Write(std::string_view bytes) {
        if (bytes.size() <= kBufferSize - used_ && writable()) {
            std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
            used_ += bytes.size();
        } else {
            writeSlow(bytes);
        }
    }
    // Carriage return and line feed: the end of a line.
    void WriteLineEnd() {
        Write("\r\n");
        lineEnds_.push_back(offset_ + used_);
    }
    void WriteLine(std::string_view text) {
        Write(text);
        WriteLineEnd();
    }

    // Hands everything the writer holds to the system (no sync to the disk).
    void Commit();
    // Commit, then close. The file is closed even when the commit fails.
    void Close();

    // True once a write has failed; the writer then takes nothing more.
    bool Failed() const { return failed_; }
    // Complete lines (ended by WriteLineEnd) that the system holds.
    std::uint64_t LinesInFile() const { return linesInFile_; }
    // write(2) calls made since Rewrite.
    std::uint64_t SystemWrites() const { return systemWrites_; }

private:
    bool writable() const { return fd_ >= 0 && !failed_; }
    void writeSlow(std::string_view bytes);
    // Writes n bytes at the current end; on failure cuts the file back to
    // the last complete line and raises.
    void writeOut(const char* data, std::size_t n);
    void flushBuffer();
    void confirmLineEnds();
    [[noreturn]] void fail(int err);
    [[noreturn]] static void raiseNotOpen();

    int fd_ = -1;
    bool failed_ = false;
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    std::uint64_t offset_ = 0;            // bytes the system holds
    std::vector<std::uint64_t> lineEnds_; // file offsets of line ends not yet handed over
    std::uint64_t linesInFile_ = 0;
    std::uint64_t lastLineEnd_ = 0;       // file offset after the last complete line handed over
    std::uint64_t systemWrites_ = 0;
};

}  // namespace vcl
