#include "Diagnose.h"

#include "Cli.h"
#include "Command.h"
#include "DriveLink.h"
#include "tools700/diagnostics/Checklist.h"

#include <string>

namespace tools700::cli {

namespace {

// The run's lines on the terminal; each failure's explanation indented under its line. A terminal
// run goes through every check: there is no one to press Cancel.
class TerminalRun : public diagnostics::RunView {
public:
    TerminalRun(FILE *out, FILE *err) : out_(out), err_(err) {}

    bool Progress(int) override { return true; }
    void AddLine(const std::string &line) override { std::fprintf(out_, "%s\n", line.c_str()); }
    bool Failed(const diagnostics::FailedCheck &failure) override
    {
        std::string text = failure.message;
        while (!text.empty() && text.back() == '\n')
            text.pop_back();
        std::string indented = "    ";
        for (char c : text) {
            indented += c;
            if (c == '\n')
                indented += "    ";
        }
        std::fprintf(out_, "%s\n", indented.c_str());
        return true;
    }
    bool Dial(int) override { return true; }
    void UploadFailed() override { std::fprintf(err_, "%s\n", diagnostics::kCantCommunicate); }

private:
    FILE *out_;
    FILE *err_;
};

} // namespace

int Diagnose(FILE *out, FILE *err)
{
    diagnostics::DiagnosticValues values;
    TerminalRun view(out, err);
    switch (diagnostics::Run(values, view)) {
    case diagnostics::RunEnd::UploadFailed:
        return kCommError;
    case diagnostics::RunEnd::Completed:
        return diagnostics::RunChecks(values).AllPassed() ? kOk : kDifferences;
    default:
        return kDifferences;
    }
}

// tools700-cli diagnose
int RunDiagnose(Context &ctx)
{
    if (ctx.Operands() != 0)
        throw UsageError("diagnose takes no operands");
    OpenLink(ctx);
    return Diagnose(ctx.out, ctx.err);
}

} // namespace tools700::cli
