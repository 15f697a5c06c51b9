// A progress line on standard error for long runs: records done, the share
// of the input read and the rate, redrawn at most four times a second.  It
// shows only when standard error is a terminal and the input is a regular
// file, so pipes, logs and tests never see it.
#ifndef TESSEL_TOOL_PROGRESS_H
#define TESSEL_TOOL_PROGRESS_H

#include <chrono>
#include <cstdio>
#include <string>

namespace tessel {

class Progress {
public:
    // what: the unit counted ("records", "elements").
    Progress(const std::string& input_path, const char* what);
    ~Progress() { Done(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    bool Active() const { return active_; }
    // count done so far, and bytes of the input read (0: unknown).
    void Update(unsigned long count, unsigned long long bytes = 0) {
        if (!active_) return;
        const auto now = Clock::now();
        if (now < next_) return;
        next_ = now + std::chrono::milliseconds(250);
        Draw(count, bytes, now);
    }
    // Clears the line.
    void Done();

private:
    using Clock = std::chrono::steady_clock;
    void Draw(unsigned long count, unsigned long long bytes, Clock::time_point now);
    bool active_ = false;
    const char* what_;
    unsigned long long size_ = 0;
    Clock::time_point start_, next_;
};

// Whether standard error is a terminal and path names a regular file.
bool Progress_wanted(const std::string& path);

}  // namespace tessel

#endif
