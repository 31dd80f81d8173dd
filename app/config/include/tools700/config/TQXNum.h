// TQXNum: the numeric binding. Value sets own TQXNum bindings without an edit box; the program's
// numeric edit box (TQXEditNum) owns one that shows its value through the NumEdit interface.
#pragma once

#include "tools700/config/TQX.h"

#include <string>

namespace tools700 {

// What a numeric binding needs of the edit box that shows it.
class NumEdit {
public:
    virtual ~NumEdit() = default;
    virtual void ShowNumText(const std::string &text) = 0;
};

class TQXNum : public TQX {
public:
    explicit TQXNum(const Symtab &table, NumEdit *editBox = nullptr);
    TQXNum(const Symtab &table, const std::string &varName, NumEdit *editBox = nullptr);

    // x = set.Get(name), clamped into [min, max] (max when x >= min, else min); then Update.
    void Init(ValueSet *set) override;
    // value = x; the edit box, if any, shows NumText(x).
    void Update(double x) override;

    NumEdit *EditBox() const { return edit; }
    void SetEditBox(NumEdit *editBox) { edit = editBox; }

    // The text an edit box shows for x: real variables in fixed notation with 5 decimals
    // (scientific with 15 significant digits beyond 15 integer digits), integers truncated.
    std::string NumText(double x) const;
    static std::string NumText(double x, uint8_t type);

private:
    NumEdit *edit;
};

} // namespace tools700
