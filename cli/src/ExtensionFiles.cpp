#include "ExtensionFiles.h"

#include "tools700/common/Messages.h"
#include "tools700/motors/MotorExtensions.h"
#include "tools700/common/ProgramFolders.h"

#include <cstdlib>
#include <string>

namespace tools700::cli {

namespace {

// The program's messages about the extension files, one line of standard error each: every run
// of blanks that holds a line break becomes one space, the rest of the text (the file's path)
// stays as it is. A motor defined twice keeps its first definition without a word, as the tool
// has no one to ask in the middle of a command.
class ExtensionMessages : public Messages {
public:
    explicit ExtensionMessages(FILE *err) : err_(err) {}

    Answer Show(BoxKind, const std::string &text, unsigned buttons) override
    {
        if ((buttons & (BtnCancel | BtnAbort)) != 0)
            return Answer::Ok;
        std::fprintf(err_, "%s\n", OneLine(text).c_str());
        return Answer::Ok;
    }

private:
    static bool Blank(char c) { return c == ' ' || c == '\n'; }

    static std::string OneLine(const std::string &text)
    {
        std::string line;
        for (std::size_t i = 0; i < text.size();) {
            if (!Blank(text[i])) {
                line += text[i++];
                continue;
            }
            std::size_t end = i;
            while (end < text.size() && Blank(text[end]))
                ++end;
            const std::string run = text.substr(i, end - i);
            line += run.find('\n') == std::string::npos ? run : " ";
            i = end;
        }
        return line;
    }

    FILE *err_;
};

} // namespace

void LoadExtensions(const Context &ctx)
{
    std::string dir = ctx.args.Text("--mde-dir").value_or("");
    if (dir.empty())
        if (const char *env = std::getenv("TOOLS700_MDE_DIR"))
            dir = env;
    if (dir.empty()) {
        const std::string exe = ThisExecutable();
        if (exe.empty())
            return;
        dir = FindProgramFolders(exe).dataDir;
    }
    ExtensionMessages messages(ctx.err);
    LoadMotorExtensions(dir, messages);
}

} // namespace tools700::cli
