// The stall benchmark of one window under one condition of the drive: the longest gap between two
// runs of a 5 ms probe timer on the user-interface thread, and the time from the first failed
// exchange to its text on screen.
#pragma once

#include "ExchangeRecord.h"
#include "Startup.h"
#include "tools700/Messages.h"

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace responsiveness {

using tools700::Program;

// Message boxes: noted with their time, answered as a technician would.
class BenchMessages : public tools700::Messages {
public:
    tools700::Answer Show(tools700::BoxKind kind, const std::string &text, unsigned buttons) override
    {
        shown.push_back({NowMs(), text});
        // Never "change the communications setup" (a modal port dialog), never Cancel a check.
        if (text.rfind("Can't communicate with the drive!\n", 0) == 0)
            return tools700::Answer::No;
        if (buttons & tools700::BtnYes)
            return tools700::Answer::Yes;
        (void)kind;
        return tools700::Answer::Ok;
    }
    struct Box {
        double atMs;
        std::string text;
    };
    std::vector<Box> shown;
};

enum class Condition { Healthy, Silent, Midway, Late, Refusing, Count };
inline constexpr const char *kConditionNames[] = {"healthy", "silent", "silent midway", "late (450 ms)", "refusing"};

struct Cell {
    bool run = false;
    double stallMs = 0;
    std::optional<double> textMs; // failure to its text
    bool failed = false;          // an exchange failed
    long uiCalls = 0;             // link calls made on the user-interface thread
};

struct Case {
    const char *window;
    int model;
    const char *refuse;    // --refuse of the refusing condition (null: not applicable)
    int midwayAfter;       // exchanges of the case before the drive goes quiet
    bool watch;            // watched for the given seconds (else: until done, at most limitMs)
    int limitMs;
    std::function<void()> start;
    std::function<bool()> done;       // the case's work has ended (unused when watched)
    std::function<bool()> failureShown; // the window's own failure text is on screen
    std::function<void()> stop;
};

// Configuration editors the benchmark closed (an upload opens one, modal).
extern std::atomic<int> g_editorsClosed;

class Bench {
public:
    Bench(Program &program, BenchMessages &messages, int seconds) : p_(program), m_(messages), seconds_(seconds) {}

    // One case under one condition, on a drivesim of its own.
    Cell Run(const Case &c, Condition condition);
    // Runs the event loop for `ms`, closing the editor windows an upload opens.
    void Settle(int ms);
    // The configuration editor an upload opens (modal) is closed at once.
    static void CloseEditorWindows();

private:
    struct Sim;
    std::unique_ptr<Sim> StartSim(const std::vector<std::string> &options, const Case &);
    static int ExchangesSince(double t0);

    Program &p_;
    BenchMessages &m_;
    int seconds_;
};

void PrintTable(const std::vector<const char *> &windows, const std::map<std::string, std::vector<Cell>> &cells);

} // namespace responsiveness
