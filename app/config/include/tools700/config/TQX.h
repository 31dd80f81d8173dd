// TQX: the binding of one numeric variable of a dictionary table. It carries the variable's
// name, type and bounds, its current value, and the links to the other bindings of one window
// that show the same variable (its cousins). Value sets hold TQXNum bindings; the bound controls
// of the windows hold the other subclasses.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tools700 {

class Symtab;
class ValueSet;

class TQX {
public:
    // An unnamed binding: type real, bounds and value 0.
    explicit TQX(const Symtab &table);
    // Binds the name at once (SetVarName); raises "Invalid Name" for a name the table lacks.
    TQX(const Symtab &table, const std::string &varName);
    // Unlinks the binding from its cousins first.
    virtual ~TQX();

    TQX(const TQX &) = delete;
    TQX &operator=(const TQX &) = delete;

    // Looks the name up in the table (ignoring case). The entry must be an integer or real
    // variable; then name (as the table writes it), type, bounds and value (the default) are
    // taken from it. Otherwise raises "Invalid Name" and leaves the binding unchanged.
    virtual void SetVarName(const std::string &varName);
    // Loads the value from a value set (each subclass has its own rule).
    virtual void Init(ValueSet *set) = 0;
    // Takes the value and shows it.
    virtual void Update(double x) = 0;

    const std::string &VarName() const { return name; }
    void Val(double x) { value = x; }
    double Val() const { return value; }
    bool Check(double x) const { return min <= x && x <= max; }
    bool Matches(const std::string &text) const;

    uint8_t Type() const { return type; }
    double Min() const { return min; }
    double Max() const { return max; }
    const Symtab &Dictionary() const { return *dictionary; }

    // Linking of the bindings that show the same variable on one window.
    void Accept(TQX *p);          // p must not be a cousin yet
    void Release(TQX *p);         // p must be a cousin
    void Connect(TQX *other);     // joins other's group
    void Disconnect();            // leaves the group
    void UpdateAll();             // Update with the value here and on every cousin
    const std::vector<TQX *> &Cousins() const { return cousins; }

    // Keystroke filter of a numeric edit box: non-printable keys pass; for an integer variable
    // only "0123456789+-", for a real one "0123456789+-eE.," pass; other printable keys give 0.
    int Filter(int key) const;

protected:
    std::string name;
    const Symtab *dictionary;
    uint8_t type = 1;
    double min = 0.0;
    double max = 0.0;
    double value = 0.0;
    std::vector<TQX *> cousins;
};

} // namespace tools700
