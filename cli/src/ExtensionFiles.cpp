#include "ExtensionFiles.h"

#include "mdb700.h"
#include "tools700/ProgramFolders.h"
#include "tools700/names/Names.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace tools700::cli {

namespace {

int KeepFirstMotor(const char *, const char *, const char *) { return 0; }

} // namespace

void LoadExtensions(const Context &ctx)
{
    namespace fs = std::filesystem;
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
    std::error_code ec;
    std::vector<std::string> files;
    for (const auto &entry : fs::directory_iterator(dir, ec)) {
        if (names::Equal(entry.path().extension().string(), ".MDE") && entry.is_regular_file())
            files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    mdb_FlushExtensions();
    for (const std::string &f : files) {
        const int r = mdb_Extend(f.c_str(), KeepFirstMotor);
        if (r == MDB_EXTEND_CANT_OPEN)
            std::fprintf(ctx.err, "Can't open Motor Database extension file %s\n", f.c_str());
        else if (r == MDB_EXTEND_INVALID)
            std::fprintf(ctx.err, "Motor Database Extension file \"%s\" is invalid.\n", f.c_str());
    }
}

} // namespace tools700::cli
