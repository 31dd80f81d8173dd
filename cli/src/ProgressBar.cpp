#include "ProgressBar.h"

#include <algorithm>

namespace tools700::cli {

ProgressBar::ProgressBar(FILE *out, bool enabled, std::string label)
    : out_(out), enabled_(enabled), label_(std::move(label))
{
}

ProgressBar::~ProgressBar() { Done(); }

void ProgressBar::operator()(double fraction)
{
    if (!enabled_)
        return;
    const double f = std::clamp(fraction, 0.0, 1.0);
    const int percent = static_cast<int>(f * 100.0);
    if (percent == lastPercent_)
        return;
    lastPercent_ = percent;
    constexpr int kWidth = 40;
    const int filled = static_cast<int>(f * kWidth);
    std::string bar(static_cast<size_t>(filled), '#');
    bar.append(static_cast<size_t>(kWidth - filled), '.');
    std::fprintf(out_, "\r%s [%s] %3d%%", label_.c_str(), bar.c_str(), percent);
    std::fflush(out_);
    drawn_ = true;
}

void ProgressBar::Done()
{
    if (drawn_) {
        std::fprintf(out_, "\n");
        std::fflush(out_);
        drawn_ = false;
        lastPercent_ = -1; // the next call draws a fresh line
    }
}

} // namespace tools700::cli
