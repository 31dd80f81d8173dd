// drivesim: plays one or more SV7xx drives on one line for 700Tools and the comm700 library.
// See docs/drivesim.md for the options and the trace format.
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "ControlSignals.h"
#include "DriveLine.h"
#include "RequestHandler.h"
#include "LineWriter.h"
#include "NvMemory.h"
#include "SimClock.h"
#include "SimOptions.h"
#include "TraceLog.h"
#include "Transport.h"
#include "WireNames.h"
#include "comm700.h"
#include "tools700/common/Release.h"
#include "tools700/wire/Drive.h"
#include "tools700/wire/Receiver.h"

int main(int argc, char** argv)
{
    using namespace drivesim;
    std::vector<std::string> args(argv, argv + argc);
    std::string error;
    auto parsed = ParseOptions(args, error);
    if (!parsed) {
        std::fprintf(stderr, "drivesim: %s\n", error.c_str());
        return 2;
    }
    const SimOptions options = *parsed;
    if (options.help) {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        char version[80] = {};
        CommDLLVersion700(version);
        std::printf("%s%s\n", tools700::ReleaseLine("drivesim").c_str(), version);
        return 0;
    }
    const WireNames names = WireNames::FromLibrary();
    for (const auto& [name, code] : options.refusals)
        if (!names.Find(name) && name != "arm" && name != "fetch") {
            std::fprintf(stderr, "drivesim: --refuse: no variable or command is named '%s'\n", name.c_str());
            return 2;
        }
    for (const std::string& kind : options.silentOn)
        if (!IsRequestKind(kind)) {
            std::fprintf(stderr, "drivesim: --silent-on: no request kind is named '%s' (GET_INT, READ_SCOPE, ...)\n",
                         kind.c_str());
            return 2;
        }
    // Declared before the signals, so the signal thread (which wakes the transport's waits) has
    // ended before the transport goes.
    std::unique_ptr<Transport> transport;
    ControlSignals signals;

    NvMemory nv(options.nvFile);
    if (!nv.Load(error))
        std::fprintf(stderr, "drivesim: %s; the drives start from their defaults and the file is left untouched\n",
                     error.c_str());
    TraceLog trace(options.traceFile, options.log, options.traceTime);
    if (!trace.Ok()) {
        std::fprintf(stderr, "drivesim: %s\n", trace.Error().c_str());
        return 1;
    }

    switch (options.transport) {
    case TransportKind::SimulatorChannel: transport = OpenSimulatorChannel(error); break;
    case TransportKind::Device: transport = OpenDevice(options.device, error); break;
    case TransportKind::Pty: transport = OpenPty(error); break;
    }
    if (!transport) {
        std::fprintf(stderr, "drivesim: %s\n", error.c_str());
        return 1;
    }

    DriveLine line(options, names, nv, trace);
    tools700::wire::Receiver receiver(line);

    std::deque<std::uint8_t> inbox;  // bytes read while a reply was being written
    std::uint8_t buf[512];
    auto readInto = [&] {
        std::size_t n = transport->Read(buf, sizeof buf);
        inbox.insert(inbox.end(), buf, buf + n);
    };
    LineWriter writer(*transport, options, readInto, signals.Stop());

    signals.Start([&transport] { transport->Interrupt(); });
    std::printf("%s\n", transport->ReadyLine().c_str());
    std::fflush(stdout);

    double nextRCal = options.rcalPeriodMs > 0 ? NowMs() + options.rcalPeriodMs : 0.0;
    std::uint16_t rcalValue = 0;
    std::vector<std::uint8_t> reply;
    while (!signals.Stop().load()) {
        if (const int quiet = signals.TakeQuietRequest(); quiet != 0)
            line.SetQuiet(quiet == 1);
        bool busy = false;
        readInto();
        while (!inbox.empty()) {
            busy = true;
            std::uint8_t b = inbox.front();
            inbox.pop_front();
            receiver.Feed(b);
        }
        double now = NowMs();
        while (line.PopDue(now, reply)) {
            busy = true;
            writer.SendReply(reply);
        }
        if (nextRCal > 0 && now >= nextRCal) {
            // Between frames only: every reply above has been written whole.
            std::uint8_t msg[5];
            tools700::wire::BuildRCalMessage(rcalValue, msg);
            writer.SendRaw(msg, sizeof msg);
            rcalValue = static_cast<std::uint16_t>(rcalValue + 1);
            nextRCal += options.rcalPeriodMs;
            if (nextRCal < now) nextRCal = now + options.rcalPeriodMs;
        }
        if (busy) continue;
        double wait = line.NextDueMs() - now;
        if (nextRCal > 0 && nextRCal - now < wait) wait = nextRCal - now;
        transport->Wait(wait > 100.0 ? 100.0 : wait);
    }
    if (options.dropFraction > 0 || options.corruptFraction > 0)
        trace.Note("reply bytes dropped: " + std::to_string(writer.Dropped()) +
                   ", corrupted: " + std::to_string(writer.Corrupted()));
    return 0;
}
