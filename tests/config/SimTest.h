// A test fixture with a temporary folder and the drive simulator started on this test program's
// simulator channel with its trace in that folder (empty once the drive answers). For the tests
// of the configuration model and the parts above it.
#pragma once

#include "SimProcess.h"
#include "TempDir.h"
#include "tools700/common/ScriptedMessages.h"
#include "tools700/config/Cfg.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <utility>
#include <string>
#include <vector>

namespace testutil {

class SimTest : public ::testing::Test {
protected:
    std::unique_ptr<SimProcess> Start(std::vector<std::string> options)
    {
        return StartTraced(std::move(options), dir.File("trace.txt"));
    }
    // Options of a drive of `model`; a 740-family one under serial control, so it can be written.
    static std::vector<std::string> Writable(const std::string &model)
    {
        std::vector<std::string> options{"--model", model};
        if (model.find("74") != std::string::npos)
            options.push_back("--serial-control");
        return options;
    }

    // The drive's configuration saved to a file of the test's folder, as `upload` writes it.
    std::string UploadedFile(int family, const std::string &name = "drive.cfg")
    {
        tools700::Cfg cfg(family);
        tools700::ScriptedMessages quiet;
        EXPECT_TRUE(cfg.Upload(quiet));
        const std::string file = dir.File(name);
        EXPECT_GT(cfg.Save(file, tools700::TruncToInt(cfg.Get("Model"))), 0);
        return file;
    }

    // Changes values of a configuration file of the 730 family.
    static void EditValues(const std::string &file, std::initializer_list<std::pair<const char *, double>> values)
    {
        tools700::Cfg cfg;
        cfg.Load(file);
        for (const auto &[name, value] : values)
            cfg.Set(name, value);
        cfg.Save(file, tools700::TruncToInt(cfg.Get("Model")));
    }

    TempDir dir;
};

} // namespace testutil
