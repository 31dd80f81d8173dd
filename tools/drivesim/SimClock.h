// The drives' time: milliseconds since the simulator started (a steady clock).
#pragma once

#include <chrono>

namespace drivesim {

inline double NowMs()
{
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace drivesim
