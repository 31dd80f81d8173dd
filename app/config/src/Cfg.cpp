#include "tools700/config/Cfg.h"

#include "tools700/config/TQXNum.h"
#include "tools700/dictionary/DriveFamily.h"
#include "tools700/dictionary/Symtab.h"

namespace tools700 {

Cfg::Cfg()
{
    Build();
    Reindex(primary);
}

Cfg::Cfg(int family) : indexes740(family == 740 || Is740Family(family))
{
    Build();
    Reindex(indexes740 ? secondary : primary);
}

void Cfg::Build()
{
    const Symtab &dict = Dictionary();
    for (const SymtabEntry &e : dict) {
        if (e.type != kIntegerVar && e.type != kFloatVar)
            continue;
        if (e.cfg730)
            primary.push_back(new TQXNum(dict, e.name));
        if (e.cfg740)
            secondary.push_back(new TQXNum(dict, e.name));
    }
}

int Cfg::SaveAs()
{
    auto dialog = MakeFileDialog(FileDialogKind::Save, "");
    if (!dialog)
        return 0;
    return SaveAs(*dialog, 0);
}

bool Cfg::LoadFrom()
{
    auto dialog = MakeFileDialog(FileDialogKind::Open, "");
    if (!dialog)
        return false;
    return LoadFrom(*dialog);
}

} // namespace tools700
