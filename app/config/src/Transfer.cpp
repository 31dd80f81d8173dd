// Upload and download of a configuration through the link library, at the current axis.
#include "comm700.h"
#include "tools700/common/Line.h"
#include "tools700/config/Cfg.h"
#include "tools700/config/StatusText.h"
#include "tools700/dictionary/Symtab.h"

#include <algorithm>

namespace tools700 {

bool Cfg::Upload(Messages &messages, const ProgressFn &progress)
{
    double model = 0;
    if (line::GetVar700("Model", &model) != 0) {
        messages.Message("Comm error?");
        return false;
    }
    const std::vector<TQX *> &list = ListForModel(TruncToInt(model));
    const size_t n = list.size();
    size_t i = 0;
    for (TQX *t : list) {
        double v = 0;
        if (line::GetVar700(t->VarName().c_str(), &v) != 0) {
            messages.Message("Upload failed, trying to read " + t->VarName());
            return false;
        }
        t->Val(v); // straight into the binding: reading is not an edit
        ++i;
        if (progress)
            progress(static_cast<double>(i) / static_cast<double>(n));
    }
    modified = false;
    return true;
}

const std::array<const char *, 7> kVariablesWrittenFirst = {"CommSrc", "RemoteFB", "BlkType", "EncMode",
                                                             "EncInF0", "ARZ0",     "ARZ1"};

namespace {
// Whether a download restricted to `only` writes the variable (every variable without one).
bool Selected(const std::vector<std::string> *only, const std::string &name)
{
    if (!only)
        return true;
    return std::any_of(only->begin(), only->end(),
                       [&](const std::string &n) { return CompareNames(n, name) == 0; });
}
} // namespace

bool ValueSet::Download(Messages &messages, const ProgressFn &progress, const std::vector<std::string> *only) const
{
    double model = 0;
    if (line::GetVar700("Model", &model) != 0) {
        messages.Message("Comm error?");
        return false;
    }
    if (Get("Model") != model) {
        messages.Message("Drive Model number mismatch");
        return false;
    }
    if (line::PutVar700("Enable", 0) != 0)
        return false;

    // The variables whose values other variables' bounds depend on go first. Their refusals are
    // ignored (a value may only become valid once others are written), a failed line is not.
    for (const char *name : kVariablesWrittenFirst)
        if (Selected(only, name) && IsLineFailure(line::PutVar700(name, Get(name))))
            return false;

    const std::vector<TQX *> &list = ListForModel(TruncToInt(model));
    // The whole download reports i / N for the list's N names, Model included (so it ends at
    // (N - 1) / N); a restricted one counts only what it writes and ends at 1.
    size_t n = list.size();
    if (only)
        n = static_cast<size_t>(std::count_if(list.begin(), list.end(), [&](TQX *t) {
            return !t->Matches("Model") && Selected(only, t->VarName());
        }));
    size_t i = 0;
    for (TQX *t : list) {
        if (t->Matches("Model") || !Selected(only, t->VarName()))
            continue;
        const int status = line::PutVar700(t->VarName().c_str(), t->Val());
        if (status != 0) {
            const std::string text =
                "Warning: " + t->VarName() + " " + StatusText(status) + "\n Continue?";
            if (!messages.WarnYesNo(text))
                return false;
        }
        ++i;
        if (progress)
            progress(static_cast<double>(i) / static_cast<double>(n));
    }
    // The drive's refusals of these two are ignored as always. A failed line is a failed
    // download: the drive may be left disabled and without regenerated tables. The command
    // reports every failure alike, so a failed TableGen is told apart by asking the drive once.
    const int tableGen = line::ExeCmd700("TableGen");
    if (IsLineFailure(line::PutVar700("Enable", 1)))
        return false;
    if (tableGen != 0) {
        double again = 0;
        if (IsLineFailure(line::GetVar700("Model", &again)))
            return false;
    }
    return true;
}

} // namespace tools700
