// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/InvokingUser.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "db/FileIdentity.h"

namespace quorvex {

namespace {

// An id from the environment, or fallback when it is absent or no number.
unsigned long IdFromEnvironment(const char* name, unsigned long fallback) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') return fallback;
    char* end = nullptr;
    const unsigned long id = std::strtoul(text, &end, 10);
    return *end == '\0' ? id : fallback;
}

// In a child that has become the user: the path looked up with the user's
// rights must lead to the same file, which must then open for reading.
[[noreturn]] void TryAsUser(const std::string& path, const struct stat& info, uid_t user,
                            gid_t group, const passwd* entry) {
    const bool dropped = (entry ? initgroups(entry->pw_name, group) : setgroups(0, nullptr)) == 0 &&
                         setgid(group) == 0 && setuid(user) == 0;
    // Changing the user makes /proc/self root's; this process's own
    // descriptors are to be reopened below.
    if (!dropped || prctl(PR_SET_DUMPABLE, 1) != 0) _exit(1);
    const int where = open(path.c_str(), O_PATH | O_CLOEXEC);
    struct stat seen {};
    if (where < 0 || fstat(where, &seen) != 0 || !SameFile(seen, info)) _exit(1);
    _exit(open(DescriptorPath(where).c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC) >= 0 ? 0 : 1);
}

}  // namespace

bool InvokingUserMayRead(const std::string& path, const struct stat& info) {
    if (geteuid() != 0) return true;
    const auto user = static_cast<uid_t>(IdFromEnvironment("SUDO_UID", getuid()));
    if (user == 0) return true;
    const passwd* entry = getpwuid(user);
    const auto group = static_cast<gid_t>(
        IdFromEnvironment("SUDO_GID", entry != nullptr ? entry->pw_gid : getgid()));
    const pid_t child = fork();
    if (child == 0) TryAsUser(path, info, user, group, entry);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace quorvex
