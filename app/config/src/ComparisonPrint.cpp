// The printed comparison, in the listing's page layout.
#include "tools700/config/Comparison.h"
#include "tools700/config/PrintCanvas.h"

#include <cstdio>

namespace tools700 {

std::string ComparisonTitle(const std::string &configurationName, const Comparison &comparison)
{
    return configurationName + " compared with the " + ModelText(comparison.driveModel);
}

int PrintComparison(PrintCanvas &canvas, const Comparison &comparison, const std::string &title, bool all,
                    const ProgressFn &progress, std::time_t when)
{
    std::vector<std::string> lines{comparison.Summary()};
    if (!comparison.SameModel())
        lines.push_back("Configuration for " + ModelText(comparison.configurationModel) + ", drive " +
                        ModelText(comparison.driveModel));
    // One variable in four short lines (name and what a download does with it, both values, the
    // help text), so that no line runs off a page.
    int number = 0;
    for (const ComparedVariable &v : comparison.variables) {
        if (!all && !v.Differs())
            continue;
        char num[16];
        std::snprintf(num, sizeof num, "%3d", ++number);
        lines.emplace_back();
        std::string head = std::string(num) + "   " + v.name;
        if (v.role != DownloadRole::Written)
            head += std::string(" (") + DownloadRoleText(v.role) + ")";
        lines.push_back(head);
        lines.push_back("      file:  " + v.fileText);
        lines.push_back("      drive: " + v.driveText);
        if (!v.help.empty())
            lines.push_back("      " + v.help);
    }
    PrintListingPages(canvas, title, lines, progress, when);
    return 1;
}

} // namespace tools700
