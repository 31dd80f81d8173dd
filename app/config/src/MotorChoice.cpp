#include "tools700/config/MotorChoice.h"

#include "mdb700.h"
#include "tools700/dictionary/Symtab.h"

#include <algorithm>
#include <iterator>

namespace tools700 {

namespace {

constexpr std::string_view kFieldbusDrives[] = {"SVE733", "SVE735", "SVE743", "SVE745"};

} // namespace

int BusClassOf(std::string_view drive)
{
    return std::find(std::begin(kFieldbusDrives), std::end(kFieldbusDrives), drive) != std::end(kFieldbusDrives) ? 640
                                                                                                                  : 320;
}

std::vector<std::string> DriveModelNames()
{
    std::vector<std::string> names;
    char buf[32];
    for (int i = 0;; ++i) {
        buf[0] = '\0';
        if (!ddb_Name(i, buf) || buf[0] == '\0')
            break;
        names.emplace_back(buf);
    }
    return names;
}

bool MotorOffered(bool inHouse, int busClass, double maxVBus) { return inHouse || busClass < 640 || maxVBus >= 640; }

std::vector<std::string> MotorNames(bool inHouse, int busClass)
{
    std::vector<std::string> names;
    char buf[32] = {};
    for (char *n = mdb_FirstName(buf); n && buf[0] != '\0'; n = mdb_NextName(buf)) {
        if (MotorOffered(inHouse, busClass, mdb_MaxVBus(buf)))
            names.emplace_back(buf);
    }
    std::stable_sort(names.begin(), names.end(),
                     [](const std::string &a, const std::string &b) { return CompareNames(a, b) < 0; });
    return names;
}

} // namespace tools700
