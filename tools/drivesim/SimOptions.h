// Command-line options of the drive simulator.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "VelocityLoop.h"

namespace drivesim {

enum class TransportKind { SimulatorChannel, Device, Pty };

struct SimOptions {
    TransportKind transport = TransportKind::SimulatorChannel;
    std::string device;                 // --device PATH
    int model = 733;                    // --model N
    std::vector<int> axes{255};         // --axes LIST (a fresh drive answers at 255)
    std::map<int, int> axisModels;      // --axes 1:733,2:743: the model of an axis (else --model)
    std::vector<int> conflicts;         // --conflict N: a second drive also answers at N
    double dropFraction = 0.0;          // --drop F: fraction of reply bytes lost
    double corruptFraction = 0.0;       // --corrupt F: fraction of reply bytes damaged
    std::uint64_t seed = 1;             // --seed N
    int delayMs = 0;                    // --delay MS: answer this late
    std::map<std::string, int> refusals;// --refuse NAME=CODE, names folded to lower case
    bool silent = false;                // --silent: never answer
    long silentAfter = -1;              // --silent-after N: answer N requests, then none (-1: off)
    std::vector<std::string> silentOn;  // --silent-on COMMAND: never answer requests of these kinds
    bool pace = false;                  // --pace: 19200 bit/s on the reply side
    std::string nvFile;                 // --nvfile PATH
    bool log = false;                   // --log: requests and replies on stderr
    std::string traceFile;              // --trace FILE
    bool traceTime = false;             // --trace-time: each trace line ends with its time in ms
    int rcalPeriodMs = 0;               // --rcal MS: unsolicited R-cal values, 0 = off
    bool serialControl = false;         // --serial-control: a 740 drive starts under serial control
    bool mfgLockStuck = false;          // --mfglock-stuck: MfgLock writes never move the control
    bool configured = false;            // --configured: start configured (as after TableGen)
    int faultCode = 0;                  // --fault CODE[,EXT]: start faulted
    int extFault = 0;
    std::string firmwareFile;           // --fwfile PATH: where an accepted firmware image goes
    int eraseMs = 150;                  // --erase-ms MS: how long a memory erase takes
    StepSetup step;                     // --step RPM[,MS], --motor NAME, --inertia-ratio R
    bool help = false;
    bool version = false;               // --version: the release and the library
};

// Parses argv (argv[0] is the program). Returns the options, or nullopt with `error` set.
std::optional<SimOptions> ParseOptions(const std::vector<std::string>& args, std::string& error);

// The model of the drive at `axis` on the command line: its --axes model, else --model.
int ModelOfAxis(const SimOptions& options, int axis);

// The --help text.
std::string UsageText();

// True for the model codes the simulator can play (the 730 and 740 families).
bool IsKnownModel(int model);

}  // namespace drivesim
