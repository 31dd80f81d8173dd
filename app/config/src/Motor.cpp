#include "tools700/config/Motor.h"

#include "tools700/config/TQXNum.h"
#include "tools700/dictionary/Symtab.h"

namespace tools700 {

Motor::Motor()
{
    const Symtab &table = MotorParameterTable();
    for (const SymtabEntry &e : table)
        if (e.type == kIntegerVar || e.type == kFloatVar)
            primary.push_back(new TQXNum(table, e.name));
    Reindex(primary);
}

Motor::Motor(const Motor &other) : Motor()
{
    Assign(other);
}

int Motor::SaveAs()
{
    auto dialog = MakeFileDialog(FileDialogKind::Save, "Motor Database Extension (*.mde)|*.mde");
    if (!dialog)
        return 0;
    return SaveAs(*dialog, 0);
}

bool Motor::LoadFrom()
{
    auto dialog =
        MakeFileDialog(FileDialogKind::Open, "Motor Database Extension Files (*.mde)|*.mde");
    if (!dialog)
        return false;
    return LoadFrom(*dialog);
}

} // namespace tools700
