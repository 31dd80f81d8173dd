// The line: every simulated drive on one multi-drop line. Takes the request frames the
// receiver assembles, finds the addressed drive, applies --refuse and --silent, records the
// request in the trace and queues the reply frame until it is due (--delay). Two drives that
// hold one address (--conflict) both act on its requests, and their replies collide into one
// frame that fails its CRC at the host. --silent-after, --silent-on and SIGUSR1/SIGUSR2 make the
// drives go quiet for some requests or from some moment.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "NvMemory.h"
#include "RequestHandler.h"
#include "SimDrive.h"
#include "SimOptions.h"
#include "TraceLog.h"
#include "WireNames.h"
#include "tools700/wire/Drive.h"
#include "tools700/wire/Receiver.h"

namespace drivesim {

class DriveLine : public tools700::wire::ReceiverSink {
public:
    DriveLine(const SimOptions& options, const WireNames& names, NvMemory& nv, TraceLog& trace);

    void OnFrame(const std::uint16_t* frame) override;
    void OnRCalValue(std::uint16_t) override {}  // only drives send R-cal values

    // Runs one request frame at drive time `nowMs` (OnFrame uses the clock).
    void HandleFrame(const std::uint16_t* frame, double nowMs);
    // The encoded bytes of the next reply whose time has come; false when none is due.
    bool PopDue(double nowMs, std::vector<std::uint8_t>& bytes);
    // When the next queued reply is due (a large value when none is queued).
    double NextDueMs() const;

    // The drive that answers requests for `axis`: the drive holding that address, or, for
    // the automatic axis 255, the first drive of the line when none holds 255.
    SimDrive* DriveFor(int axis);
    // The drives stop answering (true) or answer again (false), whatever the options say.
    void SetQuiet(bool quiet) { quiet_ = quiet ? 1 : 0; }
    // Every drive that acts on a request for `axis` (two or more where addresses conflict).
    std::vector<SimDrive*> DrivesFor(int axis);
    std::vector<std::unique_ptr<SimDrive>>& Drives() { return drives_; }

private:
    struct Pending {
        double dueMs;
        std::vector<std::uint8_t> bytes;
    };

    void AddDrive(int address, int model, int slot);
    int RefusalFor(const tools700::wire::Request& rq) const;
    // --silent, --silent-after, --silent-on and the signals: this request goes unanswered.
    bool Unanswered(const std::string& command) const;
    // One drive's handling of a request: --refuse first, then the drive itself.
    HandledRequest Handle(SimDrive& drive, const tools700::wire::Request& rq, double nowMs);
    void AfterRequest(SimDrive& drive);

    const SimOptions& options_;
    const WireNames& names_;
    NvMemory& nv_;
    TraceLog& trace_;
    std::vector<std::unique_ptr<SimDrive>> drives_;
    std::deque<Pending> pending_;
    long handled_ = 0;        // requests handled so far (for --silent-after)
    int quiet_ = -1;          // from the signals: -1 as the options say, 1 quiet, 0 answering
    // The drives a request is being handled by: they may all move to one new address together.
    std::vector<SimDrive*> addressed_;
};

}  // namespace drivesim
