// How the line's workflows reach the drives of one line. The link's current axis is one value
// for the whole process, so every sequence of exchanges meant for one drive runs with the axis
// set to that drive's and with no other exchange of the process in between; afterwards the
// axis is put back, so the rest of the program keeps talking to its own drive.
#pragma once

#include <functional>

namespace tools700::machine {

class LineAccess {
public:
    virtual ~LineAccess() = default;
    // Runs `exchanges` with the link's current axis set to `axis`, then restores the axis.
    // False (and nothing was run) when the line could not be had, e.g. the program is ending.
    virtual bool OnAxis(int axis, const std::function<void()> &exchanges) = 0;
};

// The program's way: the exchanges run as one turn on the line with the link's axis set to the
// drive's, and the program's selected axis (the port dialog's) is selected again afterwards
// (tools700::WithAxis). A thread told to stop gets no turn: OnAxis is then false.
class SelectedAxisLineAccess : public LineAccess {
public:
    bool OnAxis(int axis, const std::function<void()> &exchanges) override;
};

// For a process that chose its axis with the link's own SetAxis700 (tools700-cli, tests): sets
// the axis, runs the exchanges and sets `homeAxis` again, all as one turn on the line.
class DirectLineAccess : public LineAccess {
public:
    explicit DirectLineAccess(int homeAxis) : homeAxis_(homeAxis) {}
    bool OnAxis(int axis, const std::function<void()> &exchanges) override;

private:
    int homeAxis_;
};

} // namespace tools700::machine
