// The settings the scope keeps between runs, behind a small interface so the engine stays free
// of Qt: the window stores them in the program's settings file, the tests and the command-line
// tool in memory. Keys are paths below the scope's key ("" is the key itself, "ch1",
// "ch1/Velocity Feedback"); a double is kept as its 8 raw bytes.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace tools700::scope {

class ScopeStore {
public:
    virtual ~ScopeStore() = default;
    // Nothing when the value is missing or of another type.
    virtual std::optional<double> ReadDouble(const std::string &key, const std::string &name) = 0;
    virtual std::optional<int> ReadInt(const std::string &key, const std::string &name) = 0;
    virtual std::optional<std::string> ReadText(const std::string &key, const std::string &name) = 0;
    // False when the store could not be written.
    virtual bool WriteDouble(const std::string &key, const std::string &name, double value) = 0;
    virtual bool WriteInt(const std::string &key, const std::string &name, int value) = 0;
    virtual bool WriteText(const std::string &key, const std::string &name, const std::string &value) = 0;
};

// A store in memory: the command-line tool's, and a run without a settings file.
class MemoryScopeStore : public ScopeStore {
public:
    std::optional<double> ReadDouble(const std::string &key, const std::string &name) override;
    std::optional<int> ReadInt(const std::string &key, const std::string &name) override;
    std::optional<std::string> ReadText(const std::string &key, const std::string &name) override;
    bool WriteDouble(const std::string &key, const std::string &name, double value) override;
    bool WriteInt(const std::string &key, const std::string &name, int value) override;
    bool WriteText(const std::string &key, const std::string &name, const std::string &value) override;

    // The value's place is taken: tests see which values were written.
    bool Has(const std::string &key, const std::string &name) const;

private:
    struct Value {
        enum Kind { Bytes, Int, Text } kind = Text;
        std::string bytes;
        int number = 0;
    };
    const Value *Find(const std::string &key, const std::string &name, Value::Kind kind) const;
    std::map<std::string, Value> values_;
};

// The 8 raw bytes of a double and back; nothing when `bytes` is not 8 bytes long.
std::string DoubleBytes(double value);
std::optional<double> DoubleFromBytes(const std::string &bytes);

} // namespace tools700::scope
