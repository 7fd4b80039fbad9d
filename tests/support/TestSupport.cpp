// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/TestSupport.h"

#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "db/Collation.h"
#include "db/CriUnit.h"
#include "db/Fields.h"
#include "tools/FoodEncoder.h"

namespace quorvex::test {

SecondUser::SecondUser() {
    if (geteuid() != 0) return;
    name_ = "quorvex" + std::to_string(getpid());
    const std::string command = "useradd -M -U -s /usr/sbin/nologin " + name_ + " 2>/dev/null";
    // Tests run side by side: useradd fails while another holds the lock.
    for (int attempt = 0; std::system(command.c_str()) != 0; ++attempt) {
        if (attempt == 50) throw std::runtime_error("useradd failed");
        usleep(100'000);
    }
    const passwd* user = getpwnam(name_.c_str());
    if (user == nullptr) throw std::runtime_error("useradd made no " + name_);
    uid = user->pw_uid;
    gid = user->pw_gid;
}

SecondUser::~SecondUser() {
    const std::string command = "userdel " + name_ + " 2>/dev/null";
    for (int attempt = 0; Made() && attempt < 50 && std::system(command.c_str()) != 0; ++attempt) {
        usleep(100'000);
    }
}

std::string GiveAclLettingRead(const std::string& path, mode_t mode, uid_t user) {
    std::string bytes("\x02\0\0\0", 4);  // the version, then entries in the order of tags
    const auto add = [&bytes](unsigned tag, unsigned permissions, unsigned id) {
        for (const unsigned value : {tag | permissions << 16, id})
            for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>(value >> shift);
    };
    add(0x01, (mode >> 6) & 7, ~0u);
    add(0x02, 4, user);
    add(0x04, (mode >> 3) & 7, ~0u);
    add(0x10, ((mode >> 3) & 7) | 4, ~0u);  // the mask
    add(0x20, mode & 7, ~0u);
    const bool given =
        setxattr(path.c_str(), "system.posix_acl_access", bytes.data(), bytes.size(), 0) == 0;
    return given ? bytes : std::string();
}

std::string AclOf(const std::string& path) {
    std::string acl(256, '\0');
    const ssize_t size = getxattr(path.c_str(), "system.posix_acl_access", acl.data(), acl.size());
    acl.resize(size > 0 ? static_cast<size_t>(size) : 0);
    return acl;
}

std::string FailureOf(const std::function<void()>& run) {
    try {
        run();
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "";
}

namespace {

// A memory control group for one process: version 1's hierarchy where it
// is mounted, else version 2's.
std::string ControlGroupOf(pid_t process) {
    const bool first = std::filesystem::exists("/sys/fs/cgroup/memory/memory.limit_in_bytes");
    return std::string(first ? "/sys/fs/cgroup/memory" : "/sys/fs/cgroup") + "/quorvex-test-" +
           std::to_string(process);
}

// In the child: joins a group of its own whose limit is room.
bool JoinControlGroup(std::size_t room) {
    const std::string group = ControlGroupOf(getpid());
    const bool first = group.starts_with("/sys/fs/cgroup/memory/");
    if (mkdir(group.c_str(), 0755) != 0) return false;
    std::ofstream(group + (first ? "/memory.limit_in_bytes" : "/memory.max")) << room;
    std::ofstream(group + "/cgroup.procs") << getpid();
    std::ifstream groups("/proc/self/cgroup");
    const std::string listed((std::istreambuf_iterator<char>(groups)), {});
    return listed.find("/quorvex-test-" + std::to_string(getpid())) != std::string::npos;
}

bool LimitRoom(int resource, std::size_t room) {
    if (resource == kControlGroup) return JoinControlGroup(room);
    // statm: the address space and the data size are its first and sixth numbers.
    std::ifstream statm("/proc/self/statm");
    rlim_t pages[6] = {};
    for (rlim_t& count : pages) statm >> count;
    const rlim_t used = (resource == RLIMIT_AS ? pages[0] : pages[5]) * getpagesize();
    const rlimit limit{used + room, RLIM_INFINITY};
    return setrlimit(resource, &limit) == 0;
}

}  // namespace

int ExitStatusWithRoom(int resource, std::size_t room, const std::function<int()>& body) {
    const pid_t child = fork();
    if (child == 0) _exit(LimitRoom(resource, room) ? body() : 254);
    int status = -1;
    const bool exited = child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status);
    if (resource == kControlGroup) rmdir(ControlGroupOf(child).c_str());
    if (!exited) return -1;
    return WEXITSTATUS(status) == 254 ? -2 : WEXITSTATUS(status);
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quorvex-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern + "/";
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string MakeFoodLine(const std::string& description, const std::map<int, std::string>& fields) {
    std::string line = description;
    for (int n = 2; n <= kFoodFieldCount; ++n) {
        line += '|';
        const auto found = fields.find(n);
        if (found != fields.end()) line += found->second;
    }
    return line;
}

void WriteStoredFoods(const std::string& path, const std::vector<std::string>& plainLines) {
    WriteFile(path, EncodeFoodsFile(plainLines));
}

std::string TableOrderFault(const std::string& path, const std::vector<std::string>& sourceLines) {
    const TempDir dir;
    WriteStoredFoods(dir.Path() + "source.dad", sourceLines);
    std::unique_ptr<LoadedTable> written, expected, keys;
    NoProgress progress;
    LoadFoodTable(path, written, keys, progress);
    LoadFoodTable(dir.Path() + "source.dad", expected, keys, progress);
    const std::string bytes = ReadFile(path);
    LineWalker lines(bytes);
    for (int i = 0; i < expected->Count(); ++i) {
        const std::optional<LineView> stored = lines.Next();
        if (!stored) return "only " + std::to_string(i) + " lines";
        const std::string line = DecodeLine(i, std::string(stored->text));
        const std::string where = "line " + std::to_string(i) + " \"" + line + "\"";
        if (i > 0 && CompareText(expected->Get(i - 1), line) > 0)
            return where + " sorts above the line before";
        if (line != expected->Get(i)) return where + " is not the table's";
        if (written->Get(i) != expected->Get(i)) return where + ": the loaded table differs";
    }
    return lines.Next() ? "more lines than foods" : "";
}

void WriteDatabase(const std::string& applicationDirectory,
                   const std::vector<std::string>& plainFoodLines,
                   const std::vector<std::string>& groupLines) {
    WriteStoredFoods(applicationDirectory + "Dados/ArqIng.dad", plainFoodLines);
    std::string groups;
    for (const std::string& line : groupLines) groups += line + "\r\n";
    WriteFile(applicationDirectory + "Dados/ArqGruIng.dad", groups);
}

ToolRun RunTool(const std::string& toolPath, const std::string& arguments, const TempDir& dir) {
    const std::string out = dir.Path() + "tool-out.txt";
    const std::string err = dir.Path() + "tool-err.txt";
    const std::string command =
        "'" + toolPath + "' " + arguments + " >'" + out + "' 2>'" + err + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out), ReadFile(err)};
}

std::string CaseName(std::string words) {
    for (char& c : words) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return words;
}

}  // namespace quorvex::test
