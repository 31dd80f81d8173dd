#include "tools700/machine/BackupManifest.h"

#include "tools700/common/Error.h"
#include "tools700/config/AtomicFile.h"
#include "tools700/dictionary/DriveFamily.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <map>

namespace tools700::machine {

namespace {

std::string Trimmed(const std::string &s)
{
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

bool ToInt(const std::string &text, int &out)
{
    auto r = std::from_chars(text.data(), text.data() + text.size(), out);
    return !text.empty() && r.ec == std::errc() && r.ptr == text.data() + text.size();
}

// A file name from the manifest names a file in the folder itself: nothing else is read.
bool PlainFileName(const std::string &name)
{
    return !name.empty() && name.find('/') == std::string::npos && name != "." && name != "..";
}

} // namespace

std::string InFolder(const std::string &folder, const std::string &name)
{
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

const ManifestDrive *Manifest::Find(int axis) const
{
    for (const ManifestDrive &d : drives)
        if (d.axis == axis)
            return &d;
    return nullptr;
}

std::string BackupFileName(int axis, int model)
{
    char text[64];
    std::snprintf(text, sizeof text, "axis-%02d-%s.cfg", axis, ModelText(model).c_str());
    return text;
}

std::string PortText(int port)
{
    if (port == 0)
        return "simulator channel";
    return "COM" + std::to_string(port);
}

std::string ManifestDate()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

std::string ManifestText(const Manifest &m)
{
    std::string t = "# 700Tools backup of the drives on one line\n[backup]\n";
    t += "date=" + m.date + "\n";
    t += "port=" + std::to_string(m.port) + "\n";
    t += "line=" + PortText(m.port) + "\n";
    t += "program=" + m.program + "\n";
    t += "drives=" + std::to_string(m.drives.size()) + "\n";
    for (const ManifestDrive &d : m.drives) {
        char section[32];
        std::snprintf(section, sizeof section, "\n[axis-%02d]\n", d.axis);
        t += section;
        t += "axis=" + std::to_string(d.axis) + "\n";
        if (d.model != 0) {  // a drive that did not answer has no model or versions
            t += "model=" + std::to_string(d.model) + "\n";
            t += "drive=" + ModelText(d.model) + "\n";
            t += "firmware=" + std::to_string(d.firmware) + "\n";
            t += "hardware=" + std::to_string(d.hardware) + "\n";
        }
        if (d.BackedUp()) {
            t += "file=" + d.file + "\n";
        } else {
            std::string reason = d.reason;
            std::replace(reason.begin(), reason.end(), '\n', ' ');
            t += "result=failed\nreason=" + reason + "\n";
        }
    }
    return t;
}

void WriteManifest(const std::string &folder, const Manifest &manifest)
{
    WriteFileAtomically(InFolder(folder, kManifestName), ManifestText(manifest));
}

Manifest ReadManifest(const std::string &folder)
{
    const std::string path = InFolder(folder, kManifestName);
    LineReader reader(path);  // raises "Can't open file <path>"
    auto bad = [&](const std::string &why) { return Error("Error reading file " + path + ": " + why); };
    Manifest m;
    std::map<std::string, std::string> *current = nullptr;
    std::map<std::string, std::string> header;
    bool haveHeader = false;
    std::vector<std::pair<std::string, std::map<std::string, std::string>>> sections;
    std::string line;
    while (reader.Next(line)) {
        if (IsBlankOrComment(line))
            continue;
        const std::string t = Trimmed(line);
        if (t.front() == '[') {
            if (t.back() != ']')
                throw bad("\"" + t + "\" is not a section");
            const std::string name = t.substr(1, t.size() - 2);
            if (name == "backup") {
                current = &header;
                haveHeader = true;
            } else {
                sections.emplace_back(name, std::map<std::string, std::string> {});
                current = &sections.back().second;
            }
            continue;
        }
        const auto eq = t.find('=');
        if (eq == std::string::npos || !current)
            throw bad("\"" + t + "\" is not a key=value line of a section");
        (*current)[Trimmed(t.substr(0, eq))] = Trimmed(t.substr(eq + 1));
    }
    if (reader.Failed())
        throw bad("it cannot be read to its end");
    if (!haveHeader)
        throw bad("it has no [backup] section");
    m.date = header["date"];
    m.program = header["program"];
    if (!ToInt(header["port"], m.port))
        m.port = -1;
    for (auto &[name, keys] : sections) {
        ManifestDrive d;
        if (!ToInt(keys["axis"], d.axis) || d.axis < 1 || d.axis > 255)
            throw bad("[" + name + "] has no axis 1..255");
        if (m.Find(d.axis))
            throw bad("axis " + std::to_string(d.axis) + " is listed twice");
        d.file = keys["file"];
        d.reason = keys["reason"];
        const bool known = ToInt(keys["model"], d.model) && (Is730Family(d.model) || Is740Family(d.model));
        if (d.BackedUp() && !known)
            throw bad("[" + name + "] has no drive model of the 730 or 740 family");
        if (!known)
            d.model = 0;
        ToInt(keys["firmware"], d.firmware);
        ToInt(keys["hardware"], d.hardware);
        if (!d.file.empty() && !PlainFileName(d.file))
            throw bad("[" + name + "] names the file \"" + d.file + "\" outside the backup folder");
        m.drives.push_back(d);
    }
    std::sort(m.drives.begin(), m.drives.end(),
              [](const ManifestDrive &a, const ManifestDrive &b) { return a.axis < b.axis; });
    return m;
}


} // namespace tools700::machine
