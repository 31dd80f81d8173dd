// The simulator's side of the story: one line per request received, appended to the trace
// file (--trace) and, with --log, printed on stderr together with the reply.
//
// Trace line: <axis> <COMMAND> <name> <value> <result>
//   result: "ok", the refusal code ("0x41"), "unanswered" (--silent) or "absent" (no drive
//   at that axis on the line). With `time` set, a sixth field follows: the milliseconds since the
//   simulator started, with one decimal.
#pragma once

#include <string>

namespace drivesim {

class TraceLog {
public:
    TraceLog(const std::string& path, bool log, bool time = false);
    ~TraceLog();
    TraceLog(const TraceLog&) = delete;
    TraceLog& operator=(const TraceLog&) = delete;

    bool Ok() const { return path_.empty() || fd_ >= 0; }
    const std::string& Error() const { return error_; }
    void Request(int axis, const std::string& command, const std::string& name,
                 const std::string& value, const std::string& result);
    void Note(const std::string& text);  // --log only

private:
    std::string path_;
    int fd_ = -1;
    bool log_;
    bool time_;
    std::string error_;
};

}  // namespace drivesim
