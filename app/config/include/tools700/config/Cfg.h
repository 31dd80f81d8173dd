// Cfg: a drive configuration. It holds the variables of both drive families (primary list: the
// 730 family, secondary list: the 740 family) and indexes one of them, chosen at construction.
#pragma once

#include "tools700/config/ValueSet.h"

#include <memory>
#include <string>
#include <vector>

namespace tools700 {

class Cfg : public ValueSet {
public:
    // A 730-family configuration (the primary list is indexed).
    Cfg();
    // A configuration of the family `family` names: 740, or a model code of the 740 family
    // (742, 743, 744, 1743, 1745), indexes the secondary list; 730 or any other number the
    // primary list.
    explicit Cfg(int family);
    Cfg(const Cfg &) = delete;
    Cfg &operator=(const Cfg &other)
    {
        Assign(other);
        return *this;
    }
    using ValueSet::operator=;

    // "name = value" lines of the model's list; returns the number of lines (0 for a model of
    // neither family). The file is written beside and renamed into place.
    int Save(const std::string &fileName, int model) override;
    using ValueSet::SaveAs;
    int SaveAs() override; // model 0
    int Load(const std::string &fileName) override;
    // As Load, and `namesRead` receives the name of every data line this configuration indexes,
    // in the dictionary's spelling and the file's order (what the file holds, as against the
    // defaults of the names it lacks).
    int Load(const std::string &fileName, std::vector<std::string> *namesRead);
    using ValueSet::LoadFrom;
    bool LoadFrom() override;

    // Reads every variable of the drive's family from the drive at the current axis.
    bool Upload(Messages &messages, const ProgressFn &progress = {});

    bool Indexes740() const { return indexes740; }

private:
    void Build();
    bool indexes740 = false;
};

// A configuration file read into a Cfg of the family its Model names: first as a 730-family
// configuration, again as a 740-family one when the model says so.
struct CfgFromFile {
    std::unique_ptr<Cfg> cfg;
    int result = 0;                 // Load's result: 2 when data lines were read, 0 when none
    std::vector<std::string> names; // the names the file holds (Load's namesRead)
};
CfgFromFile LoadCfgOfItsFamily(const std::string &fileName);

} // namespace tools700
