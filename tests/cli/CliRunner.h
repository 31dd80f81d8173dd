// Runs build/bin/tools700-cli as a user would: arguments, an environment, stdin from a file
// (never a terminal), stdout and stderr captured.
#pragma once

#include "../config/TempDir.h"

#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char **environ;

namespace testutil {

struct CliResult {
    int rc = -1;
    std::string out, err;
};

inline CliResult RunCli(const TempDir &dir, std::vector<std::string> args,
                        std::vector<std::string> env = {}, const std::string &input = "")
{
    const std::string outFile = dir.File("cli.out"), errFile = dir.File("cli.err"),
                      inFile = dir.File("cli.in");
    WriteText(inFile, input);
    args.insert(args.begin(), std::string(TOOLS700_BIN_DIR) + "/tools700-cli");
    std::vector<char *> argv;
    for (auto &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStore;
    for (char **e = environ; *e; ++e)
        envStore.emplace_back(*e);
    envStore.insert(envStore.end(), env.begin(), env.end());
    std::vector<char *> envp;
    for (auto &e : envStore)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, inFile.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&fa, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    CliResult r;
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), envp.data()) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        r.rc = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&fa);
    r.out = ReadText(outFile);
    r.err = ReadText(errFile);
    return r;
}

} // namespace testutil
