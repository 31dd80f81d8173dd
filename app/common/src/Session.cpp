#include "tools700/common/Session.h"

namespace tools700 {

namespace {

constexpr std::size_t Index(Window w) { return static_cast<std::size_t>(w); }

// One row per window, in the order of the enumeration.
constexpr const char *kTitles[] = {
    "the configuration wizard",
    "the on-line drive configuration window",
    "the oscilloscope",
    "the diagnostics",
    "the motor database editor",
    "the firmware upgrade",
    "the tuning wizard",
    "the tuning wizard",
    "the inertia ratio dialog",
    "the port and axis dialog",
    "the sweep analysis",
    "the oscilloscope",
    "the Drives on the Line window",
};
static_assert(sizeof kTitles / sizeof kTitles[0] == Index(Window::Count));

} // namespace

const char *WindowTitle(Window window)
{
    return Index(window) < Index(Window::Count) ? kTitles[Index(window)] : "";
}

void Session::SetStatusPolling(std::function<void(bool on)> polling)
{
    const std::lock_guard<std::mutex> lock(pollingMutex_);
    polling_ = std::move(polling);
}

void Session::SuspendStatusPolling()
{
    // Under the lock, so a pause and a resume on two threads reach the monitor in their order.
    const std::lock_guard<std::mutex> lock(pollingMutex_);
    if (++pauses_ == 1 && polling_)
        polling_(false);
}

void Session::ResumeStatusPolling()
{
    const std::lock_guard<std::mutex> lock(pollingMutex_);
    // A resume without its pause is ignored rather than counted ahead of the next pause.
    if (pauses_ == 0)
        return;
    if (--pauses_ == 0 && polling_)
        polling_(true);
}

bool Session::StatusPollingPaused() const
{
    const std::lock_guard<std::mutex> lock(pollingMutex_);
    return pauses_ > 0;
}

void Session::Register(Window window, Opener open)
{
    if (Index(window) >= openers_.size())
        return;
    openers_[Index(window)] = std::move(open);
    if (listener_)
        listener_();
}

bool Session::Available(Window window) const
{
    return Index(window) < openers_.size() && static_cast<bool>(openers_[Index(window)]);
}

bool Session::Open(Window window) const
{
    if (!Available(window))
        return false;
    // A copy: the window may re-register while it runs.
    const Opener open = openers_[Index(window)];
    if (runner_)
        runner_(open);
    else
        open();
    return true;
}

void Session::RegisterEditor(ConfigurationEditor editor)
{
    editor_ = std::move(editor);
    if (listener_)
        listener_();
}

void Session::RegisterComparer(Comparer comparer)
{
    comparer_ = std::move(comparer);
    if (listener_)
        listener_();
}

int Session::CompareWithDrive(Cfg *cfg, const std::string &name) const
{
    if (!comparer_)
        return -1;
    const Comparer compare = comparer_;
    return compare(cfg, name);
}

bool Session::EditConfiguration(int entryMode, Cfg &cfg, const std::string &name) const
{
    if (!editor_)
        return false;
    const ConfigurationEditor edit = editor_;
    edit(entryMode, cfg, name);
    return true;
}

bool Session::SelectAxis(int axis) const
{
    if (!axisSelector_)
        return false;
    axisSelector_(axis);
    return true;
}

} // namespace tools700
