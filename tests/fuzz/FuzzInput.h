// Shared pieces of the fuzz targets: a reader that takes the input apart
// from the front (so that seed files can be written by hand, see
// make_corpus.py) and a check that turns a broken property into a finding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace fuzz {

// Reads bytes from the front of the input; past the end every read gives 0
// or an empty text, so any input is a valid one.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(reinterpret_cast<const char*>(data)), size_(size) {}

    std::uint8_t Byte() { return pos_ < size_ ? static_cast<std::uint8_t>(data_[pos_++]) : 0; }
    std::int16_t Int16() {
        std::uint16_t lo = Byte();
        std::uint16_t hi = Byte();
        return static_cast<std::int16_t>(lo | (hi << 8));
    }
    // n bytes, fewer when the input ends first.
    std::string_view Bytes(std::size_t n) {
        n = n < size_ - pos_ ? n : size_ - pos_;
        std::string_view s(data_ + pos_, n);
        pos_ += n;
        return s;
    }
    // A text whose length is given by the byte before it.
    std::string_view Text() { return Bytes(Byte()); }
    std::string_view Rest() { return Bytes(size_ - pos_); }

private:
    const char* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, what);
    std::abort();
}

}  // namespace fuzz

#define FUZZ_CHECK(cond) \
    do { \
        if (!(cond)) ::fuzz::Fail(#cond, __FILE__, __LINE__); \
    } while (0)
