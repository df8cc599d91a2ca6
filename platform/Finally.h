// Runs a clean-up when the scope is left, normally or by an exception: the
// protected "finally" section of a handler.
#pragma once

#include <utility>

namespace vcl {

template <class F>
class Finally {
public:
    explicit Finally(F f) : f_(std::move(f)) {}
    ~Finally() noexcept(false) {
        if (active_) f_();
    }
    Finally(const Finally&) = delete;
    Finally& operator=(const Finally&) = delete;
    void Dismiss() { active_ = false; }

private:
    F f_;
    bool active_ = true;
};

}  // namespace vcl
