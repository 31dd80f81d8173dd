// A child process for the link tests, started with posix_spawn, its standard output on a pipe
// (a helper prints one line when it is ready). Killed and reaped when the object goes away.
#pragma once

#include <csignal>
#include <cstring>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace linktest {

class ChildProcess {
public:
    // Runs `program` with `args`; `ns`, when given, replaces COMM700_NAMESPACE for the child.
    ChildProcess(const char* program, std::vector<std::string> args, const char* ns = nullptr)
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_adddup2(&fa, fds[1], 1);
        posix_spawn_file_actions_addclose(&fa, fds[0]);
        args.insert(args.begin(), program);
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<std::string> envStore;
        for (char** e = environ; *e; ++e)
            if (!ns || std::strncmp(*e, "COMM700_NAMESPACE=", 18) != 0)
                envStore.emplace_back(*e);
        if (ns)
            envStore.push_back(std::string("COMM700_NAMESPACE=") + ns);
        std::vector<char*> envp;
        for (auto& e : envStore)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        if (posix_spawn(&pid_, program, &fa, nullptr, argv.data(), envp.data()) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&fa);
        close(fds[1]);
        out_ = fds[0];
    }
    ~ChildProcess()
    {
        Kill(SIGKILL);
        if (out_ >= 0)
            close(out_);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // One line of the child's output (without the line feed); empty at its end.
    std::string ReadLine()
    {
        std::string line;
        char c;
        while (out_ >= 0 && read(out_, &c, 1) == 1 && c != '\n')
            line += c;
        return line;
    }
    // Sends the signal and reaps the child.
    void Kill(int sig)
    {
        if (pid_ > 0) {
            kill(pid_, sig);
            waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int out_ = -1;
};

}  // namespace linktest
