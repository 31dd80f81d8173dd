// The simulator channel as the link's transport: the two byte queues of the shared region
// "envsim" between this host and a drive simulator. The channel is one line: only the process
// holding its host claim reads and writes the host's side; another process's calls fail until
// the holder lets go (or ends).
#pragma once

#include <mutex>

#include "LineStatistics.h"
#include "Transport.h"
#include "tools700/platform/EnvSim.h"
#include "tools700/platform/LineClaim.h"

namespace tools700::link {

class SimChannelTransport final : public Transport {
public:
    // Sent frames are counted in `statistics`.
    SimChannelTransport(platform::EnvSim& envsim, LineStatistics& statistics)
        : envsim_(envsim), statistics_(statistics)
    {
    }

    // This process is on the simulator channel (`chosen`), on a serial port, or on no channel at
    // all (`barred`: the claim is let go and not taken again behind the caller's back until a
    // channel is chosen).
    void Choose(bool chosen, bool barred);
    // HostMode700 on this channel: take the claim unless no channel is chosen.
    void TakeClaimUnlessBarred();
    // The library is unloading: let the claim go for good.
    void Close();

    int Ready() override;
    int HostPut(int byte) override;
    int HostGet() override;
    int DrivePut(int byte) override;
    int DriveGet() override;
    bool SendFrame(const uint16_t* words) override;
    std::size_t ReceiveSome(uint8_t* buf, std::size_t cap, int wakeFd,
                            const std::atomic<bool>* stop) override;

private:
    // Whether this process is the channel's host now; takes a claim another process let go.
    bool Host();
    void HoldClaim(bool take);

    platform::EnvSim& envsim_;
    LineStatistics& statistics_;
    std::mutex claimMutex_;
    platform::SimChannelClaim claim_;
    std::atomic<bool> host_ {false};
    std::atomic<bool> barred_ {false};
};

}  // namespace tools700::link
