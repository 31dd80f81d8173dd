// Starting and ending a helper program (the drive simulator).
#pragma once

#include <string>
#include <sys/types.h>

namespace tools700::platform {

// Starts `program` (searched on PATH when it holds no '/') with the program text as its only
// argument, without waiting. Returns the process id, or -1 when it could not be started.
pid_t SpawnProgram(const std::string& program);

// Ends a process started by SpawnProgram: SIGTERM, up to graceMs for it to exit, then SIGKILL;
// the process is reaped. Returns true when the process has ended (or had already ended).
bool EndProcess(pid_t pid, int graceMs = 1000);

// True when the process exists and has not ended (a zombie counts as ended).
bool ProcessAlive(pid_t pid);

// The start time of a process in clock ticks since boot (field 22 of /proc/<pid>/stat), or 0
// when the process does not exist. A pid plus its start time names a process even after pid reuse.
unsigned long long ProcessStartTime(pid_t pid);

}  // namespace tools700::platform
