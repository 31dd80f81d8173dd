#include "CfgFiles.h"

#include "ProgressBar.h"
#include "comm700.h"
#include "tools700/dictionary/DriveFamily.h"

namespace tools700::cli {

std::unique_ptr<Cfg> LoadCfgFile(const std::string &file, int *read)
{
    CfgFromFile loaded = LoadCfgOfItsFamily(file);
    if (read)
        *read = loaded.result;
    return std::move(loaded.cfg);
}

std::unique_ptr<Cfg> UploadFromDrive(const Context &ctx, Messages &messages, const char *label)
{
    double model = 0;
    if (GetVar700("Model", &model) != 0) {
        messages.Message("Comm error?");
        return nullptr;
    }
    auto cfg = Is740Family(TruncToInt(model)) ? std::make_unique<Cfg>(740) : std::make_unique<Cfg>();
    ProgressBar bar(ctx.err, ctx.progress && !ctx.quiet, label);
    if (!cfg->Upload(messages, [&](double f) { bar(f); })) {
        bar.Done();
        return nullptr;
    }
    return cfg;
}

} // namespace tools700::cli
