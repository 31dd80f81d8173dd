#include "Cli.h"

#include "Command.h"
#include "comm700.h"
#include "mdb700.h"
#include "tools700/common/Error.h"
#include "tools700/common/Release.h"

#include <algorithm>
#include <vector>

namespace tools700::cli {

namespace {

// The options of every command and the common ones, for the parser.
std::vector<OptionSpec> AllOptions()
{
    std::vector<OptionSpec> all(CommonOptions().begin(), CommonOptions().end());
    for (const Command &c : Commands())
        all.insert(all.end(), c.options.begin(), c.options.end());
    return all;
}

Preset PresetOf(const Arguments &args)
{
    const std::string_view last = args.LastOf({"--yes", "--no"});
    return last == "--yes" ? Preset::Yes : last == "--no" ? Preset::No : Preset::None;
}

} // namespace

int ExitForStatus(int status)
{
    if (status == NO_SUCH_SYMBOL || status == TYPE_ERROR)
        return kUnknownName;
    if (status >= 65 && status <= 127)
        return kRefused;
    return kCommError;
}

std::string VersionText(const std::string &program)
{
    char comm[80] = {};
    char mdb[80] = {};
    CommDLLVersion700(comm);
    mdb_Version(mdb);
    return ReleaseLine(program) + comm + "\n" + mdb + "\n";
}

int Run(const std::vector<std::string> &args, FILE *in, FILE *out, FILE *err, bool interactive,
        bool progressOnErr)
{
    try {
        static const std::vector<OptionSpec> options = AllOptions();
        Context ctx{ParseCommandLine(args, options), in, out, err, interactive, progressOnErr, false, Preset::None};
        ctx.quiet = ctx.args.Has("--quiet");
        ctx.preset = PresetOf(ctx.args);
        if (ctx.args.Has("--help")) {
            std::fputs(HelpText().c_str(), out);
            return kOk;
        }
        if (ctx.args.Has("--version")) {
            std::fputs(VersionText("tools700-cli").c_str(), out);
            return kOk;
        }
        if (ctx.args.words.empty())
            throw UsageError("no command given");
        const auto command = std::ranges::find(Commands(), ctx.args.words[0], &Command::name);
        if (command == Commands().end())
            throw UsageError("unknown command \"" + ctx.args.words[0] + "\"");
        return command->run(ctx);
    } catch (const UsageError &e) {
        std::fprintf(err, "tools700-cli: %s\nTry 'tools700-cli --help'.\n", e.what());
        return kUsage;
    } catch (const Error &e) {
        // File errors of the configuration model: "Can't open file ...", "Error reading file ...".
        std::fprintf(err, "%s\n", ErrorBoxText(e.what()).c_str());
        return kFileError;
    }
}

} // namespace tools700::cli
