#include "tools700/motors/MotorExtensions.h"

#include "mdb700.h"
#include "tools700/names/Names.h"

#include <algorithm>
#include <system_error>

namespace tools700 {

namespace {

// mdb_Extend takes a plain function as its duplicate handler; while LoadMotorExtensions runs,
// this thread's message interface is reachable from it here.
thread_local Messages *tMessages = nullptr;

class CurrentMessages {
public:
    explicit CurrentMessages(Messages &m) : previous_(tMessages) { tMessages = &m; }
    ~CurrentMessages() { tMessages = previous_; }
    CurrentMessages(const CurrentMessages &) = delete;
    CurrentMessages &operator=(const CurrentMessages &) = delete;

private:
    Messages *previous_;
};

int DuplicateHandler(const char *existingSource, const char *path, const char *name)
{
    if (!tMessages)
        return MDB_EXTEND_OK;
    return ReportDuplicate(*tMessages, existingSource, path, name);
}

bool HasExtensionFileName(const std::filesystem::path &p)
{
    return names::Equal(p.extension().string(), ".MDE");
}

const char *Text(const char *s) { return s ? s : ""; }

} // namespace

std::string DuplicateText(const char *existingSource, const char *path, const char *name)
{
    const std::string q = "\"";
    std::string text;
    text += "Warning!  The motor database extension contains duplicate entries!\n\n";
    text += "A definition for motor " + q + Text(name) + q + " was found in these two files:\n\n";
    text += "File 1: ";
    text += existingSource ? existingSource : "<default motor database>";
    text += "\n";
    text += "File 2: " + std::string(Text(path)) + "\n\n";
    text += "This is probably the result of having imported a motor\n";
    text += "database extension file from another system.\n";
    text += "You should note this information down, and correct\n";
    text += "your motor database extension files.\n\n";
    text += "Press OK to continue.\n\n";
    text += "Press Cancel to stop reading extensions from file\n";
    text += q + Text(path) + q + "\n\nPress Abort to stop extending the motor database.";
    return text;
}

int ReportDuplicate(Messages &messages, const char *existingSource, const char *path,
                    const char *name)
{
    switch (messages.Warning(DuplicateText(existingSource, path, name),
                             BtnOk | BtnCancel | BtnAbort)) {
    case Answer::Cancel:
        return MDB_EXTEND_STOP_FILE;
    case Answer::Abort:
        return MDB_EXTEND_STOP_ALL;
    default:
        return MDB_EXTEND_OK;
    }
}

std::string ExtendResultMessage(int result, const std::string &path)
{
    if (result == MDB_EXTEND_CANT_OPEN)
        return "Can't open Motor Database extension file \n\n" + path;
    if (result == MDB_EXTEND_INVALID)
        return "Motor Database Extension file \n\n\"" + path + "\"\n\nis invalid.";
    if (result > MDB_EXTEND_INVALID)
        return "Unrecognized error message -- the Motor Database\n"
               "Extension code is broken.  Tell Ansel to fix it.";
    return {};
}

std::vector<std::filesystem::path> MotorExtensionFiles(const std::filesystem::path &folder)
{
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (HasExtensionFileName(it->path()) && it->is_regular_file(typeError))
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end(),
              [](const auto &a, const auto &b) { return a.filename() < b.filename(); });
    return files;
}

void LoadMotorExtensions(const std::filesystem::path &folder, Messages &messages)
{
    CurrentMessages current(messages);
    mdb_FlushExtensions();
    for (const std::filesystem::path &file : MotorExtensionFiles(folder)) {
        const std::string path = file.string();
        int result = mdb_Extend(path.c_str(), DuplicateHandler);
        std::string text = ExtendResultMessage(result, path);
        if (!text.empty())
            messages.Message(text);
        if (result == MDB_EXTEND_STOP_ALL)
            break;
    }
}

} // namespace tools700
