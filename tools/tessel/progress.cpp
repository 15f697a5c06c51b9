// The progress line of long runs.
#include "progress.h"

#include <sys/stat.h>
#include <unistd.h>

namespace tessel {

bool Progress_wanted(const std::string& path) {
    struct stat st;
    return path != "-" && isatty(STDERR_FILENO) && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

Progress::Progress(const std::string& input_path, const char* what) : what_(what) {
    if (!Progress_wanted(input_path)) return;
    struct stat st;
    if (stat(input_path.c_str(), &st) == 0) size_ = static_cast<unsigned long long>(st.st_size);
    active_ = true;
    start_ = Clock::now();
    next_ = start_ + std::chrono::milliseconds(250);
}

void Progress::Draw(unsigned long count, unsigned long long bytes, Clock::time_point now) {
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const double rate = seconds > 0 ? count / seconds : 0;
    // The cursor is left at the start of the line, so that a report written
    // meanwhile takes the line over instead of running on after it.
    if (bytes && size_)
        std::fprintf(stderr, "\r\033[K%lu %s, %.0f%% of %.1f MB, %.0f %s/s\r", count, what_,
                     100.0 * bytes / size_, size_ / 1e6, rate, what_);
    else
        std::fprintf(stderr, "\r\033[K%lu %s, %.0f %s/s\r", count, what_, rate, what_);
    std::fflush(stderr);
}

void Progress::Done() {
    if (!active_) return;
    active_ = false;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
}

}  // namespace tessel
