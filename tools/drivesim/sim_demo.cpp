// sim_demo: a short scripted session against a drive simulator on the simulator channel,
// through the real comm700 library. Used by scripts/demo-sim.sh.
//   sim_demo [AXIS] [--rate N]   (default axis 1; --rate: also time N reads of Model)
// Exits 0 when every step behaved as a drive should, 1 otherwise.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <chrono>
#include <cstring>
#include <string>

#include "comm700.h"
#include "tools700/config/StatusText.h"

namespace {

int failures = 0;

// A status as the program shows it; 0 as "OK".
std::string StatusName(int s)
{
    return s == COMM_OK ? std::string("OK") : tools700::StatusText(s);
}

void Expect(const char* what, int status, int expected)
{
    std::printf("  %-40s -> %d %s%s\n", what, status, StatusName(status).c_str(),
                status == expected ? "" : "   (unexpected)");
    if (status != expected) ++failures;
}

double Read(const char* name)
{
    double v = 0;
    int s = GetVar700(name, &v);
    std::printf("  GetVar700(%-12s) = %-12g status %d %s\n", name, v, s, StatusName(s).c_str());
    if (s != COMM_OK) ++failures;
    return v;
}

}  // namespace

int main(int argc, char** argv)
{
    int axis = argc > 1 ? std::atoi(argv[1]) : 1;
    int rateCount = argc > 3 && std::strcmp(argv[2], "--rate") == 0 ? std::atoi(argv[3]) : 0;
    char buf[80];
    std::printf("%s, %s\n", CommDLLVersion700(buf), CommDLLCompileTime700(buf + 40));
    std::printf("UseSerialPort(0): simulator channel\n");
    UseSerialPort(0);
    Expect("SetAxis700", SetAxis700(axis), COMM_OK);

    std::printf("Identify the drive:\n");
    Read("AxisAddr");
    Read("Model");
    Read("DriveStatus");
    Read("FaultCode");

    std::printf("Configure and enable it:\n");
    Expect("PutVar700(Enable, 0)", PutVar700("Enable", 0), COMM_OK);
    Expect("PutVar700(BlkType, 8)", PutVar700("BlkType", 8), COMM_OK);
    Expect("PutVar700(Kvp, 0.5)", PutVar700("Kvp", 0.5), COMM_OK);
    Expect("PutVar700(VelCmd, 300)", PutVar700("VelCmd", 300), COMM_OK);
    Expect("ExeCmd700(TableGen)", ExeCmd700("TableGen"), COMM_OK);
    Expect("PutVar700(Enable, 1)", PutVar700("Enable", 1), COMM_OK);
    Read("Enabled");
    Read("DriveStatus");
    Read("Velocity");

    std::printf("What the drive refuses:\n");
    Expect("PutVar700(Kvp, 1000) out of bounds", PutVar700("Kvp", 1000), BOUNDS_ERROR);
    Expect("PutVar700(VBus, 1) read-only", PutVar700("VBus", 1), READONLY);
    Expect("GetVar700(NoSuchName)", [] { double v; return GetVar700("NoSuchName", &v); }(), NO_SUCH_SYMBOL);

    std::printf("Status poll as the connection monitor does it:\n");
    const char* names[] = {"AxisAddr", "DriveStatus", "FaultCode", "ExtFault", nullptr};
    double values[4] = {};
    int mask = 0;
    Expect("GetVars700(4 names)", GetVars700(names, values, &mask), COMM_OK);
    std::printf("  AxisAddr %g, DriveStatus %g, FaultCode %g, ExtFault %g, valid mask 0x%X\n",
                values[0], values[1], values[2], values[3], static_cast<unsigned>(mask));

    std::printf("Scope frame (velocity command and feedback, 1 ms, free running):\n");
    double ch1[100], ch2[100];
    std::uint16_t count = 0;
    Expect("ReadScopeData700", ReadScopeData700(0, 0, 1, 0, 0, 2, 1, ch1, ch2, &count), COMM_OK);
    std::printf("  %u samples; first %.1f / %.1f rpm\n", count, count ? ch1[0] : 0.0, count ? ch2[0] : 0.0);

    std::printf("Disable and save:\n");
    Expect("PutVar700(Enable, 0)", PutVar700("Enable", 0), COMM_OK);
    Expect("ExeCmd700(NVSave)", ExeCmd700("NVSave"), COMM_OK);
    Read("DriveStatus");

    if (rateCount > 0) {
        auto start = std::chrono::steady_clock::now();
        double v = 0;
        int bad = 0;
        for (int i = 0; i < rateCount; ++i)
            if (GetVar700("Model", &v) != COMM_OK) ++bad;
        double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%d reads of Model in %.3f s: %.0f exchanges/s, %.2f ms each, %d failed\n", rateCount, s,
                    rateCount / s, 1000.0 * s / rateCount, bad);
        if (bad) ++failures;
    }

    std::printf(failures == 0 ? "Demo finished: the simulated drive answered as expected.\n"
                              : "Demo finished with %d unexpected answers.\n", failures);
    return failures == 0 ? 0 : 1;
}
