#include "platform/TextFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/AnsiText.h"

namespace vcl {
namespace {

// Names reach the file system in the encoding the file dialog and every
// other program here read them in: UTF-8.
std::string FileSystemName(const std::string& ansi) {
    return AnsiCodePage() == CodePage::Utf8 ? ansi : AnsiToUtf8(ansi);
}

}  // namespace

int InOutErrorCode(int err) {
    switch (err) {
    case ENOENT: return 2;
    case ENOTDIR: return 3;
    case EMFILE:
    case ENFILE: return 4;
    case EACCES:
    case EPERM:
    case EROFS: return 5;
    default: return err;
    }
}

EInOutError InOutError(int err) {
    // The message follows the errno, not the code: EIO is 5 as well, and is
    // no denied access.
    switch (err) {
    case ENOENT: return EInOutError(Ansi("ﾌｧｲﾙが見つかりません"), 2);
    case ENOTDIR: return EInOutError(Ansi("不正なﾌｧｲﾙ名です"), 3);
    case EMFILE:
    case ENFILE: return EInOutError(Ansi("ｵｰﾌﾟﾝしたﾌｧｲﾙが多すぎます"), 4);
    case EACCES:
    case EPERM:
    case EROFS: return EInOutError(Ansi("ﾌｧｲﾙへのｱｸｾｽが拒否されました"), 5);
    default: return EInOutError(FormatAnsi(Ansi("I/O ｴﾗｰ (%d)"), err), err);
    }
}

TTextFile::TTextFile() = default;

TTextFile::~TTextFile() {
    if (fd_ < 0) return;
    try {
        Close();
    } catch (...) {
    }
}

void TTextFile::Rewrite(const std::string& fileNameAnsi) {
    if (fd_ >= 0) Close();
    const std::string name = FileSystemName(fileNameAnsi);
    int fd;
    do {
        fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) throw InOutError(errno);
    fd_ = fd;
    failed_ = false;
    if (!buffer_) buffer_ = std::make_unique<char[]>(kBufferSize);
    used_ = 0;
    offset_ = 0;
    lineEnds_.clear();
    lineEnds_.reserve(4096);
    linesInFile_ = 0;
    lastLineEnd_ = 0;
    systemWrites_ = 0;
}

void TTextFile::raiseNotOpen() { throw InOutError(EBADF); }

void TTextFile::writeSlow(std::string_view bytes) {
    if (!writable()) raiseNotOpen();
    flushBuffer();
    if (bytes.size() >= kBufferSize) {
        writeOut(bytes.data(), bytes.size());
    } else {
        std::memcpy(buffer_.get(), bytes.data(), bytes.size());
        used_ = bytes.size();
    }
}

void TTextFile::writeOut(const char* data, std::size_t n) {
    while (n > 0) {
        ++systemWrites_;
        const ssize_t w = ::write(fd_, data, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        if (w == 0) fail(EIO);
        offset_ += static_cast<std::uint64_t>(w);
        data += w;
        n -= static_cast<std::size_t>(w);
    }
}

void TTextFile::confirmLineEnds() {
    // Line ends are in file order; the ones the system now holds are complete.
    auto done = std::upper_bound(lineEnds_.begin(), lineEnds_.end(), offset_);
    if (done != lineEnds_.begin()) {
        linesInFile_ += static_cast<std::uint64_t>(done - lineEnds_.begin());
        lastLineEnd_ = *(done - 1);
        lineEnds_.erase(lineEnds_.begin(), done);
    }
}

void TTextFile::flushBuffer() {
    if (used_ == 0) return;
    const std::size_t n = used_;
    used_ = 0;  // taken over by writeOut, even when it fails
    writeOut(buffer_.get(), n);
    confirmLineEnds();
}

void TTextFile::fail(int err) {
    failed_ = true;
    used_ = 0;
    confirmLineEnds();
    lineEnds_.clear();
    // A line the system took only in part goes again: the file ends with a
    // whole line. Not possible on every kind of file (a device); then the
    // file holds what the system took.
    if (offset_ > lastLineEnd_) {
        struct stat st {};
        if (::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode) &&
            ::ftruncate(fd_, static_cast<off_t>(lastLineEnd_)) == 0)
            offset_ = lastLineEnd_;
    }
    throw InOutError(err);
}

void TTextFile::Commit() {
    if (!writable()) raiseNotOpen();
    flushBuffer();
}

void TTextFile::Close() {
    if (fd_ < 0) return;
    const int fd = fd_;
    try {
        if (!failed_) flushBuffer();
    } catch (...) {
        fd_ = -1;
        ::close(fd);
        throw;
    }
    fd_ = -1;
    // After close the descriptor is gone whatever it returns; EINTR is no
    // loss of data here.
    if (::close(fd) != 0 && errno != EINTR) throw InOutError(errno);
}

}  // namespace vcl
