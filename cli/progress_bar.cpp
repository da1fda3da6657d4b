#include "cli/progress_bar.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace valmuri::cli {

ProgressBar::ProgressBar(std::string label) : label_(std::move(label)), terminal_(isatty(STDERR_FILENO) == 1) {}

ProgressBar::~ProgressBar()
{
    finish();
}

void ProgressBar::update(double percent, const std::string& detail)
{
    percent = std::clamp(percent, 0.0, 100.0);
    if (!terminal_) {
        int step = static_cast<int>(percent / 10);
        if (step == last_step_)
            return;
        last_step_ = step;
        std::fprintf(stderr, "%s %3d%% %s\n", label_.c_str(), step * 10, detail.c_str());
        return;
    }
    constexpr int width = 30;
    int filled = static_cast<int>(percent * width / 100.0);
    std::string bar(static_cast<size_t>(filled), '#');
    bar.append(static_cast<size_t>(width - filled), ' ');
    std::fprintf(stderr, "\r%s [%s] %5.1f%% %s\033[K", label_.c_str(), bar.c_str(), percent, detail.c_str());
    std::fflush(stderr);
    drawn_ = true;
}

void ProgressBar::finish()
{
    if (finished_)
        return;
    finished_ = true;
    if (terminal_ && drawn_)
        std::fputc('\n', stderr);
}

} // namespace valmuri::cli
