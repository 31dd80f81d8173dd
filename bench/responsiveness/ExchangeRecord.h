// The link library's exchanges as the program makes them: each call of the library, wrapped in
// this program (dlsym RTLD_NEXT), is recorded with its time, its status and its thread.
#pragma once

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace responsiveness {

// Milliseconds since the benchmark started.
double NowMs();

struct Exchange {
    double startMs, endMs;
    int status;
    bool uiThread;
    const char *kind; // the link call
    int names;        // GetVars700: the names asked for
};

// The record; read it under the mutex.
extern std::mutex g_exchangeMutex;
extern std::vector<Exchange> g_exchanges;
// The user-interface thread, set by main before the program starts.
extern std::thread::id g_uiThread;
// The end of the first failed exchange since the record was cleared (negative: none yet).
extern std::atomic<double> g_firstFailureMs;

void ClearExchanges();

} // namespace responsiveness
