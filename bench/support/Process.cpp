// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/support/Process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <csignal>
#include <stdexcept>

extern char** environ;

namespace quorvex::bench {

pid_t Spawn(const std::vector<std::string>& argv, const std::string& outputPath) {
    std::vector<std::string> arguments = argv;
    std::vector<char*> pointers;
    for (std::string& argument : arguments) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!outputPath.empty()) {
        posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
    }
    pid_t child = 0;
    const int failed =
        posix_spawnp(&child, pointers[0], &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) throw std::runtime_error("cannot start " + argv[0]);
    return child;
}

int Wait(pid_t child, bool kill) {
    if (kill) ::kill(child, SIGTERM);
    int status = 0;
    if (waitpid(child, &status, 0) != child) throw std::runtime_error("lost a child");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace quorvex::bench
