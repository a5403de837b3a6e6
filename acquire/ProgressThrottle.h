#pragma once
// Lets progress through to a screen a few times per second. One blocking
// cross-thread call per record would make a download many times slower;
// the caller always shows the final value itself.
#include <chrono>

namespace ml {

class ProgressThrottle {
public:
    explicit ProgressThrottle(std::chrono::milliseconds interval) : interval_(interval) {}

    // True on the first call and then at most once per interval.
    bool Due() {
        const auto now = std::chrono::steady_clock::now();
        if (started_ && now - last_ < interval_) return false;
        started_ = true;
        last_ = now;
        return true;
    }

private:
    std::chrono::milliseconds interval_;
    std::chrono::steady_clock::time_point last_{};
    bool started_ = false;
};

}  // namespace ml
