#include "SimSupport.h"

#include <fstream>
#include <sstream>

#include "comm700.h"

namespace drivesim_test {

std::vector<std::string> ReadLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> out;
    std::stringstream ss(line);
    std::string f;
    while (std::getline(ss, f, ' ')) out.push_back(f);
    return out;
}

void DrainSimulatorQueue()
{
    while (SrlGetChar() >= 0) {
    }
}

}  // namespace drivesim_test
