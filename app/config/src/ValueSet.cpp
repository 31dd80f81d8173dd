#include "tools700/config/ValueSet.h"

#include "HashName.h"
#include "tools700/dictionary/Symtab.h"

#include <cassert>
#include <mutex>
#include <utility>

namespace tools700 {

namespace {
int BucketOf(const std::string &text)
{
    int ret = HashBucket(text.c_str());
    // HashBucket yields 0..96 by construction; the check guards the table access.
    if (!((0 <= ret) && (ret < ValueSet::kBuckets)))
        ret = 0;
    return ret;
}
} // namespace

ValueSet::ValueSet()
{
    for (auto &b : hashtable)
        b = nullptr;
}

ValueSet::~ValueSet()
{
    ClearIndex();
    DeleteBindings();
}

void ValueSet::ClearIndex()
{
    for (auto &b : hashtable) {
        while (b) {
            Node *n = b;
            b = n->next;
            delete n;
        }
    }
}

void ValueSet::DeleteBindings()
{
    for (TQX *t : primary)
        delete t;
    for (TQX *t : secondary)
        delete t;
    primary.clear();
    secondary.clear();
}

void ValueSet::Reindex(const std::vector<TQX *> &list)
{
    ClearIndex();
    for (TQX *t : list) {
        int b = BucketOf(t->VarName());
        hashtable[b] = new Node{t, hashtable[b]};
    }
}

TQX *ValueSet::Find(const std::string &varName) const
{
    for (Node *n = hashtable[BucketOf(varName)]; n; n = n->next)
        if (n->binding->Matches(varName))
            return n->binding;
    return nullptr;
}

double ValueSet::Get(const std::string &varName) const
{
    TQX *t = Find(varName);
    return t ? t->Val() : 0.0;
}

void ValueSet::Set(const std::string &varName, double x)
{
    TQX *t = Find(varName);
    if (!t)
        return;
    if (t->Val() != x)
        modified = true;
    t->Val(x);
}

void ValueSet::Assign(const ValueSet &other)
{
    if (&other == this)
        return;
    for (TQX *t : primary)
        t->Val(other.Get(t->VarName()));
    for (TQX *t : secondary)
        t->Val(other.Get(t->VarName()));
    modified = other.modified;
}

bool ValueSet::Differs(const ValueSet &other) const
{
    for (TQX *t : primary)
        if (t->Val() != other.Get(t->VarName()))
            return true;
    for (TQX *t : secondary)
        if (t->Val() != other.Get(t->VarName()))
            return true;
    return false;
}

const std::vector<TQX *> &ValueSet::ListForModel(int model) const
{
    return Is740Family(model) ? secondary : primary;
}

int ValueSet::SaveAs(FileDialog &dialog, int model)
{
    std::string file;
    if (!dialog.Execute(file))
        return 0;
    return Save(file, model);
}

bool ValueSet::LoadFrom(FileDialog &dialog)
{
    std::string file;
    if (!dialog.Execute(file))
        return false;
    Load(file);
    return true;
}

// ---- file dialog factory ----

namespace {
std::mutex factoryMutex;
FileDialogFactory &Factory()
{
    static FileDialogFactory f;
    return f;
}
} // namespace

void SetFileDialogFactory(FileDialogFactory factory)
{
    std::lock_guard<std::mutex> lock(factoryMutex);
    Factory() = std::move(factory);
}

std::unique_ptr<FileDialog> MakeFileDialog(FileDialogKind kind, const std::string &filter)
{
    FileDialogFactory f;
    {
        std::lock_guard<std::mutex> lock(factoryMutex);
        f = Factory();
    }
    if (!f)
        return nullptr;
    return f(kind, filter);
}

} // namespace tools700
