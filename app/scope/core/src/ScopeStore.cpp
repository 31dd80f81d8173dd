#include "tools700/scope/ScopeStore.h"

#include <cstring>

namespace tools700::scope {

std::string DoubleBytes(double value)
{
    std::string bytes(sizeof value, '\0');
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

std::optional<double> DoubleFromBytes(const std::string &bytes)
{
    double value = 0;
    if (bytes.size() != sizeof value)
        return std::nullopt;
    std::memcpy(&value, bytes.data(), sizeof value);
    return value;
}

namespace {

std::string Place(const std::string &key, const std::string &name) { return key.empty() ? name : key + "/" + name; }

} // namespace

const MemoryScopeStore::Value *MemoryScopeStore::Find(const std::string &key, const std::string &name,
                                                      Value::Kind kind) const
{
    const auto it = values_.find(Place(key, name));
    return it != values_.end() && it->second.kind == kind ? &it->second : nullptr;
}

bool MemoryScopeStore::Has(const std::string &key, const std::string &name) const
{
    return values_.count(Place(key, name)) != 0;
}

std::optional<double> MemoryScopeStore::ReadDouble(const std::string &key, const std::string &name)
{
    const Value *v = Find(key, name, Value::Bytes);
    return v ? DoubleFromBytes(v->bytes) : std::nullopt;
}

std::optional<int> MemoryScopeStore::ReadInt(const std::string &key, const std::string &name)
{
    const Value *v = Find(key, name, Value::Int);
    return v ? std::optional<int>(v->number) : std::nullopt;
}

std::optional<std::string> MemoryScopeStore::ReadText(const std::string &key, const std::string &name)
{
    const Value *v = Find(key, name, Value::Text);
    return v ? std::optional<std::string>(v->bytes) : std::nullopt;
}

bool MemoryScopeStore::WriteDouble(const std::string &key, const std::string &name, double value)
{
    values_[Place(key, name)] = Value{Value::Bytes, DoubleBytes(value), 0};
    return true;
}

bool MemoryScopeStore::WriteInt(const std::string &key, const std::string &name, int value)
{
    values_[Place(key, name)] = Value{Value::Int, {}, value};
    return true;
}

bool MemoryScopeStore::WriteText(const std::string &key, const std::string &name, const std::string &value)
{
    values_[Place(key, name)] = Value{Value::Text, value, 0};
    return true;
}

} // namespace tools700::scope
