#include "tools700/online/ChangeRules.h"

#include "comm700.h"
#include "tools700/common/Line.h"
#include "tools700/common/Error.h"
#include "tools700/common/Messages.h"
#include "tools700/common/NumberText.h"
#include "tools700/config/StatusText.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/dictionary/Symtab.h"
#include "tools700/online/DriveTexts.h"

namespace tools700::online {

namespace {

// The two feedback rules name their variables in any letter case: a name typed in the row as
// "commsrc" must not slip past them.
bool Is(const std::string &name, const char *variable) { return CompareNames(name, variable) == 0; }

void Put(const std::string &variable, double value, const std::string &changedName)
{
    const int status = line::PutVar700(variable.c_str(), value);
    if (status != 0)
        throw Error(VarStatusText(status, changedName));
}

} // namespace

ChangeForm PrepareChange(const std::string &name, const std::string &currentText)
{
    ChangeForm form;
    form.caption = name;
    form.prompt = "Enter new value for " + name;
    form.hint = Dictionary().HelpText(name);
    if (HasEnum(name) != nullptr) {
        form.enumerated = true;
        form.key = EnumValue(name, currentText);
    } else {
        form.numberText = currentText;
        form.boundsText = Dictionary().BoundsText(name);
    }
    return form;
}

void WriteNumber(const std::string &name, const std::string &text, char decimalPoint)
{
    const auto value = numtext::Parse(text, decimalPoint);
    if (!value)
        throw Error(numtext::NotANumberText(text));
    Put(name, *value, name);
}

void WriteEnumerated(const std::string &name, int key, Messages &messages)
{
    if (Is(name, "RemoteFB")) {
        double commSrc = 0;
        const int status = line::GetVar700("CommSrc", &commSrc);
        if (status != 0)
            throw Error(VarStatusText(status, name));
        if (commSrc != 0) {
            messages.Message(kRemoteFBRefused);
            return;
        }
    }
    Put(name, key, name);
    if (Is(name, "CommSrc") && key != 0)
        Put("RemoteFB", kEncoderFeedback, name);
}

} // namespace tools700::online
