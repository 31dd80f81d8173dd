// ValueSet: a named collection of numeric values, one binding (TQXNum) per variable, with a
// 97-bucket index over the names of one of its two lists and a modified flag. Cfg (a drive
// configuration) and Motor (a user motor definition) are the two kinds.
#pragma once

#include "tools700/common/Messages.h"
#include "tools700/config/FileDialog.h"
#include "tools700/config/TQX.h"
#include "tools700/dictionary/DriveFamily.h"
#include "tools700/dictionary/ValueLookup.h"

#include <array>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace tools700 {

class PrintCanvas;

// The variables Download writes before all others, in its order: the bounds of other variables
// depend on their values. They are written again in their places.
extern const std::array<const char *, 7> kVariablesWrittenFirst;

// Receives the progress of a long operation as a fraction 0..1; may be empty.
using ProgressFn = std::function<void(double)>;

class ValueSet : public ValueLookup {
public:
    struct Node {
        TQX *binding;
        Node *next;
    };
    static constexpr int kBuckets = 97;

    ValueSet();
    ~ValueSet() override;
    ValueSet(const ValueSet &) = delete;

    // Writes the file; returns the number of lines written (Cfg) or 1 (Motor).
    virtual int Save(const std::string &fileName, int model) = 0;
    // Shows the dialog; when a name was chosen, Save(name, model), else 0.
    virtual int SaveAs(FileDialog &dialog, int model);
    virtual int SaveAs() = 0;
    // Reads the file; 2 when data lines were read, 0 when none (Cfg); 1 (Motor).
    virtual int Load(const std::string &fileName) = 0;
    // Shows the dialog; when a name was chosen, Load(name) and true, else false.
    virtual bool LoadFrom(FileDialog &dialog);
    virtual bool LoadFrom() = 0;

    // The binding indexed under the name (ignoring case), or nullptr.
    TQX *Find(const std::string &varName) const;
    // The value, 0.0 for a name that is not indexed.
    double Get(const std::string &varName) const override;
    // Stores the value of an indexed name, raising the modified flag when it changes;
    // other names are ignored.
    void Set(const std::string &varName, double x);

    // Copies every value of both lists from other (0.0 where other lacks the name) and
    // other's modified flag.
    void Assign(const ValueSet &other);
    ValueSet &operator=(const ValueSet &other)
    {
        Assign(other);
        return *this;
    }
    // True when any binding of either list holds a value other than other.Get(its name).
    bool Differs(const ValueSet &other) const;

    bool IsModified() const { return modified; }
    void ClearModified() { modified = false; }

    const std::vector<TQX *> &PrimaryList() const { return primary; }
    const std::vector<TQX *> &SecondaryList() const { return secondary; }
    // The list of a model's family: secondary for the 740 family, primary for any other model.
    const std::vector<TQX *> &ListForModel(int model) const;

    // The listing of the model's list (short: only the names listed for the family) on the
    // canvas; progress before each body line. `when` is the time printed in the page headers.
    int Print(PrintCanvas &canvas, const std::string &cfgName, bool full, const ProgressFn &progress,
              int model, std::time_t when = std::time(nullptr)) const;

    // Writes the values into the drive at the current axis (see Transfer.cpp); true when the
    // transfer ran to its end. Questions and messages go through `messages`. With `only`, just
    // the named variables (any letter case) are written, in the same order and with the same
    // questions, and the transfer still ends with TableGen and Enable.
    bool Download(Messages &messages, const ProgressFn &progress = {},
                  const std::vector<std::string> *only = nullptr) const;

protected:
    void Reindex(const std::vector<TQX *> &list);
    void ClearIndex();
    void DeleteBindings();

    Node *hashtable[kBuckets];
    bool modified = false;
    std::vector<TQX *> primary;   // owned
    std::vector<TQX *> secondary; // owned
};

} // namespace tools700
