#pragma once
// A one-line progress bar on a terminal; plain lines (at most one per whole
// ten percent) when stderr is not a terminal.

#include <string>

namespace valmuri::cli {

class ProgressBar {
public:
    explicit ProgressBar(std::string label);
    ~ProgressBar();

    // percent 0..100; detail is shown after the bar ("312,5 MB  buffer 98%").
    void update(double percent, const std::string& detail = {});
    // Ends the line (leaves the last state visible).
    void finish();

private:
    std::string label_;
    bool terminal_;
    bool finished_ = false;
    int last_step_ = -1;
    bool drawn_ = false;
};

} // namespace valmuri::cli
