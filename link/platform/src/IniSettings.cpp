#include "tools700/platform/IniSettings.h"

#include "tools700/settings/SettingsFile.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tools700::platform {

namespace {
std::string Trim(const std::string &s)
{
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return s.substr(b, e - b);
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// QSettings percent-encodes special characters of keys and section names and writes the
// key separator '/' as '\'.
std::string DecodeKey(const std::string &raw)
{
    std::string out;
    for (size_t i = 0; i < raw.size(); ++i) {
        char c = raw[i];
        if (c == '%' && i + 2 < raw.size() && HexDigit(raw[i + 1]) >= 0 && HexDigit(raw[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(raw[i + 1]) * 16 + HexDigit(raw[i + 2]));
            i += 2;
        } else if (c == '\\') {
            out += '/';
        } else {
            out += c;
        }
    }
    return out;
}

// A value, possibly in double quotes with backslash escapes.
std::string DecodeValue(const std::string &raw)
{
    std::string v = Trim(raw);
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') {
        std::string out;
        for (size_t i = 1; i + 1 < v.size(); ++i) {
            if (v[i] == '\\' && i + 2 < v.size()) {
                char n = v[++i];
                out += n == 'n' ? '\n' : n == 't' ? '\t' : n;
            } else {
                out += v[i];
            }
        }
        return out;
    }
    return v;
}
} // namespace

IniSettings IniSettings::Load(const std::string &fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        return {};
    std::stringstream ss;
    ss << in.rdbuf();
    return Parse(ss.str());
}

IniSettings IniSettings::Parse(const std::string &text)
{
    IniSettings s;
    std::string section;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::string t = Trim(line);
        if (t.empty() || t[0] == ';' || t[0] == '#')
            continue;
        if (t.front() == '[' && t.back() == ']') {
            // [General] holds top-level keys; a real group named General is written %General.
            if (t == "[General]")
                section.clear();
            else if (t == "[%General]")
                section = "General";
            else
                section = DecodeKey(t.substr(1, t.size() - 2));
            continue;
        }
        size_t eq = t.find('=');
        if (eq == std::string::npos)
            continue;
        std::string key = DecodeKey(Trim(t.substr(0, eq)));
        if (!section.empty())
            key = section + "/" + key;
        s.values_[key] = DecodeValue(t.substr(eq + 1));
    }
    return s;
}

std::optional<std::string> IniSettings::Value(const std::string &keyPath) const
{
    auto it = values_.find(keyPath);
    if (it == values_.end())
        return std::nullopt;
    return it->second;
}

std::optional<int> IniSettings::Int(const std::string &keyPath) const
{
    auto v = Value(keyPath);
    if (!v || v->empty())
        return std::nullopt;
    char *end = nullptr;
    long n = std::strtol(v->c_str(), &end, 10);
    if (*end != '\0' || n < -2147483647L || n > 2147483647L)
        return std::nullopt;
    return static_cast<int>(n);
}

std::string SettingsPath()
{
    return settings::FilePath();
}

std::string StoredComPortDevice(int n)
{
    if (n < 1 || n > 4)
        return {};
    return IniSettings::Load(SettingsPath())
        .Value(settings::DeviceKey(n))
        .value_or(std::string());
}

} // namespace tools700::platform
