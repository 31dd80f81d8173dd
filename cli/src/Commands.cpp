// The command table: every command of the tool with its help and the options it reads, and the
// help text around it, so that `tools700-cli --help` (and the man page made from it) is written
// here and nowhere else. A new command is one file defining its Run function and one row below.
#include "Cli.h"
#include "Command.h"

#include <string>

namespace tools700::cli {

// The commands' functions, one file each.
int RunGet(Context &);
int RunSet(Context &);
int RunExec(Context &);
int RunStatus(Context &);
int RunUpload(Context &);
int RunDownload(Context &);
int RunNew(Context &);
int RunDiff(Context &);
int RunSend(Context &);
int RunTake(Context &);
int RunList(Context &);
int RunPrint(Context &);
int RunMotors(Context &);
int RunDrives(Context &);
int RunWatch(Context &);
int RunScope(Context &);
int RunSweep(Context &);
int RunFirmware(Context &);
int RunDiagnose(Context &);
int RunTune(Context &);
int RunScan(Context &);
int RunAddress(Context &);
int RunBackup(Context &);
int RunRestore(Context &);

namespace {

using enum OptionKind;

const Command kCommands[] = {
    {"get", RunGet, "get NAME...", "read variables; shows value, value text and unit", {}},
    {"set", RunSet, "set NAME VALUE",
     "write a variable; VALUE is a number or a value text\n"
     "(\"Analog Torque Block\")",
     {}},
    {"exec", RunExec, "exec COMMAND", "run a drive command (NVSave, TableGen, ...)", {}},
    {"status", RunStatus, "status", "the connection status line: axis, drive state, fault", {}},
    {"upload", RunUpload, "upload FILE", "read the drive's configuration into FILE", {}},
    {"download", RunDownload, "download FILE [--nvsave]",
     "write FILE into the drive (disabled meanwhile); asks\n"
     "whether to store it in NV memory unless --nvsave",
     {{"--nvsave"}}},
    {"new", RunNew, "new FILE --drive NAME --motor NAME --mode N [--ratio R]",
     "a starting configuration computed from drive, motor,\n"
     "operating mode (0..7 or its text) and load inertia\n"
     "ratio (0..100, default 0), with the mode's default\n"
     "I/O map",
     {{"--drive", Text}, {"--motor", Text}, {"--mode", Text}, {"--ratio", Number}}},
    {"diff", RunDiff, "diff FILE [--pdf OUT.pdf [--full]]",
     "the variables whose value in FILE differs from the\n"
     "drive's (reals compared as the drive stores them,\n"
     "in single precision); also those FILE lacks, those\n"
     "the drive refuses to read, and those not of the\n"
     "drive's family; --pdf also prints them (every\n"
     "variable with --full) as a PDF file",
     {{"--pdf", Text}, {"--full"}}},
    {"send", RunSend, "send FILE [NAME...] [--nvsave]",
     "write into the drive only FILE's values that differ\n"
     "from the drive's (or those of the NAMEs), with the\n"
     "download's checks, order and questions; ends with\n"
     "TableGen and Enable 1, then asks whether to store\n"
     "them in NV memory unless --nvsave",
     {{"--nvsave"}}},
    {"take", RunTake, "take FILE [NAME...]",
     "copy into FILE the drive's values that differ from\n"
     "FILE's or that FILE lacks (or those of the NAMEs);\n"
     "FILE is written again with every variable",
     {}},
    {"list", RunList, "list FILE [--full] [--rows N]",
     "the listing as text; short unless --full; N text\n"
     "rows per page (default 66), pages end in a form feed",
     {{"--full"}, {"--rows", Integer}}},
    {"print", RunPrint, "print FILE --pdf OUT.pdf [--full]", "the listing as a PDF file",
     {{"--pdf", Text}, {"--full"}}},
    {"motors", RunMotors, "motors [--long]", "the motor database, extension motors first", {{"--long"}}},
    {"drives", RunDrives, "drives", "the drive models", {}},
    {"watch", RunWatch, "watch NAME... [--interval S] [--count N]",
     "the on-line window's poll: up to six variables, the\n"
     "inputs and outputs with their mappings, drive, motor,\n"
     "mode and fault state, one block every S seconds\n"
     "(default 1), N times or until interrupted; exit 4\n"
     "when a poll was not answered",
     {{"--interval", Number, {}, [](double s) { return s > 0 && s <= 86400; },
       "must be a number of seconds above 0 (at most 86400)"},
      {"--count", Integer, {}, [](double n) { return n >= 1; }, "must be at least 1"}}},
    {"scope", RunScope,
     "scope --csv FILE [--ch1 NAME] [--ch2 NAME] [--timebase MS] [--trigger N\n"
     "      --level X] [--single] [--frames N]",
     "captures of two drive signals, saved as CSV (time in\n"
     "seconds, both channels in their units). NAME: a\n"
     "Source of the scope window (default \"Analog Input\");\n"
     "MS: 1, 2, 5, 10, 20, 50 or 100 ms per sample (default\n"
     "1); N: 0 free running, 1/2 channel 1 rising/falling\n"
     "edge, 3/4 channel 2, at level X (in the trigger\n"
     "signal's unit); --single arms one sweep and saves it\n"
     "when complete; --frames 1..9 free-running frames\n"
     "(default 1); exit 4 when no capture came",
     {{"--csv", Text},
      {"--ch1", Text},
      {"--ch2", Text},
      {"--timebase", Number},
      {"--trigger", Integer},
      {"--level", Number},
      {"--single"},
      {"--frames", Integer}}},
    {"sweep", RunSweep, "sweep FILE [--channel 1|2] [--command 1|2 | --own-levels]\n      [--frame N]",
     "the step figures of a sweep saved as CSV (scope,\n"
     "the scope window or the sweep analysis): rise time,\n"
     "overshoot, settling times, steady-state error of\n"
     "channel --channel (default 2) against the other\n"
     "channel as its command, or against its own start\n"
     "and end levels; the last frame unless --frame; exit\n"
     "1 when the data holds no step, 2 when the file\n"
     "holds no sweep",
     {{"--channel", Integer, {}, [](double n) { return n == 1 || n == 2; }, "must be 1 or 2"},
      {"--command", Integer, {}, [](double n) { return n == 1 || n == 2; }, "must be 1 or 2"},
      {"--own-levels"},
      {"--frame", Integer, {}, [](double n) { return n >= 1; }, "must be at least 1"}}},
    {"firmware", RunFirmware, "firmware FILE [--erase-nv]",
     "upgrade a 740-family drive's control board with the\n"
     "image FILE (*.bin): asks for the SW5/SW6 switches\n"
     "(or --yes), erases the program memory (and the\n"
     "non-volatile memory with --erase-nv) and programs\n"
     "the image with a progress bar",
     {{"--erase-nv"}}},
    {"diagnose", RunDiagnose, "diagnose",
     "the diagnostic checklist: reads 25 values and prints\n"
     "each failed check with its explanation, then the\n"
     "summary; exit 0 all passed, 1 a check failed or the\n"
     "drive is faulted, 4 no answer",
     {}},
    {"tune", RunTune,
     "tune --motor NAME [--ratio R] (--bandwidth HZ | --kvp K)\n"
     "     [--kvi HZ] [--arf0 HZ] [--arf1 HZ] [--arz0 HZ] [--arz1 HZ] [--kip K]\n"
     "     [--apply]",
     "the tuning wizard: Kvp from a bandwidth or the\n"
     "bandwidth from Kvp for the motor and load inertia\n"
     "ratio (default 1), with the phase margin; Kvi, ARF0,\n"
     "ARF1 default to 5, 150, 750. --apply tunes the\n"
     "connected drive: its motor and loop settings are\n"
     "read, and Kvp, Kvi, ARF0 and ARF1 are written after\n"
     "the question (Enable := 0 first)",
     {{"--motor", Text},
      {"--ratio", Number},
      {"--bandwidth", Number},
      {"--kvp", Number},
      {"--kvi", Number},
      {"--arf0", Number},
      {"--arf1", Number},
      {"--arz0", Number},
      {"--arz1", Number},
      {"--kip", Number},
      {"--apply"}}},
    {"scan", RunScan, "scan [--axes LIST]",
     "the drives on the line: asks each address of LIST\n"
     "(default 1..32; e.g. 1..255, 1-8,12) and prints a row\n"
     "per drive as it answers (axis, drive, versions, mode,\n"
     "control mode, state) and each address more than one\n"
     "drive answers; exit 0 when a drive answered",
     {{"--axes", Text}}},
    {"address", RunAddress, "address NEW [--nvsave]",
     "give the drive at the axis the address NEW (1..254),\n"
     "refused when another drive answers there; reads it\n"
     "back at NEW and asks whether to store it in NV memory\n"
     "unless --nvsave",
     {{"--nvsave"}}},
    {"backup", RunBackup, "backup DIR [--axes LIST]",
     "upload the drives a scan of 1..32 finds (or those of\n"
     "LIST) into the folder DIR: one axis-NN-<drive>.cfg\n"
     "each and manifest.ini; a drive that fails leaves no\n"
     "file; exit 4 when one failed, 130 when interrupted\n"
     "(the drives finished are kept)",
     {{"--axes", Text}}},
    {"restore", RunRestore, "restore DIR [--axes LIST] [--nvsave] [--dry-run]",
     "write the backup in DIR back into its drives (or\n"
     "those of LIST), each as download does; a drive of\n"
     "another model is skipped; asks once whether to store\n"
     "them in NV memory unless --nvsave. --dry-run writes\n"
     "nothing and lists per drive the values that differ\n"
     "(exit 1 when any do)",
     {{"--axes", Text}, {"--nvsave"}, {"--dry-run"}}},
};

const OptionSpec kCommonOptions[] = {
    {"--help", Flag, "-h"},   {"--version", Flag},    {"--port", Integer},  {"--axis", Integer},
    {"--yes", Flag, "-y"},    {"--no", Flag, "-n"},   {"--quiet", Flag, "-q"}, {"--mde-dir", Text},
};

const char kHelpIntro[] = R"(Usage: tools700-cli [OPTIONS] COMMAND [ARGUMENTS]

Talks to an SV7xx drive on a serial port or to the drive simulator, and works on
configuration files (*.cfg).

Commands:
)";

const char kHelpOptions[] = R"(
Options:
  --port N       0 the simulator channel, 1..4 serial port COM1..COM4
  --axis A       the drive's axis address 1..255 (255: whichever drive answers)
                 Without --port/--axis the port and axis stored by the
                 program's port dialog are used (port 0 and axis 255 when
                 nothing is stored).
  --yes, -y      answer every question Yes
  --no, -n       answer every question No
                 Without these, questions are asked on the terminal; without
                 a terminal they are answered No.
  --quiet, -q    no progress bar and no summary lines
  --mde-dir DIR  read motor extension files (*.MDE) from DIR (default: the
                 program's folder, or TOOLS700_MDE_DIR)
  --help, -h     this text
  --version      the release of the tool and of its two libraries

Environment:
  TOOLS700_SETTINGS  the program's settings file (default
                     ~/.config/Korvane/700Tools.ini)
  TOOLS700_MDE_DIR   folder of motor extension files
  XDG_DATA_HOME      an installed tool reads motor extension files from
                     $XDG_DATA_HOME/700Tools (default ~/.local/share/700Tools)
  COMM700_NAMESPACE  the link library's namespace (must match the simulator's)

Exit codes:
  0 success (diff: no differences)    1 diff found differences, sweep found no step
  2 bad command line                  3 file error
  4 the drive does not answer         5 refused by the drive, download aborted
  6 a question was answered No        7 unknown variable, motor, drive or mode
  130 interrupted (scan, backup, restore: what was finished is kept)
)";

// The column the descriptions start in; a synopsis reaching it puts its description below.
constexpr std::size_t kDescriptionColumn = 27;

// One command's entry: the synopsis indented by two, the description in its column.
void AppendEntry(std::string &text, const Command &c)
{
    std::string_view synopsis = c.synopsis;
    std::size_t lineLength = 0;
    for (std::size_t start = 0; start <= synopsis.size();) {
        const std::size_t end = std::min(synopsis.find('\n', start), synopsis.size());
        if (start > 0)
            text += '\n';
        text += "  ";
        text += synopsis.substr(start, end - start);
        lineLength = 2 + end - start;
        start = end + 1;
    }
    if (lineLength < kDescriptionColumn)
        text.append(kDescriptionColumn - lineLength, ' ');
    else
        text += '\n' + std::string(kDescriptionColumn, ' ');
    for (char ch : c.description) {
        text += ch;
        if (ch == '\n')
            text.append(kDescriptionColumn, ' ');
    }
    text += '\n';
}

} // namespace

std::span<const Command> Commands() { return kCommands; }

std::span<const OptionSpec> CommonOptions() { return kCommonOptions; }

std::string HelpText()
{
    std::string text = kHelpIntro;
    for (const Command &c : kCommands)
        AppendEntry(text, c);
    text += kHelpOptions;
    return text;
}

} // namespace tools700::cli
