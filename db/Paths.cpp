// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/Paths.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace quorvex {

namespace {

std::string& ApplicationDirectoryValue() {
    static std::string value;
    return value;
}

std::string& DataDirectoryValue() {
    static std::string value;
    return value;
}

}  // namespace

void SetApplicationDirectory(const std::string& applicationDirectory) {
    ApplicationDirectoryValue() = applicationDirectory;
    DataDirectoryValue() = applicationDirectory + "Dados/";
}

const std::string& ApplicationDirectory() { return ApplicationDirectoryValue(); }

const std::string& DataDirectory() { return DataDirectoryValue(); }

void EnsureFileExists(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0) {
        std::error_code ignored;
        std::filesystem::create_directories(path.substr(0, slash + 1), ignored);
    }
    // O_EXCL | O_NOFOLLOW: an existing file is left alone, and a symbolic
    // link (even a dangling one) is never followed to create its target.
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd >= 0) close(fd);
}

std::string FoodFilePath(const std::string& directory) {
    std::string path = directory + "ArqIng.dad";
    EnsureFileExists(path);
    return path;
}

std::string GroupFilePath(const std::string& directory) {
    std::string path = directory + "ArqGruIng.dad";
    EnsureFileExists(path);
    return path;
}

std::string SettingsFilePath(const std::string& /*directory*/) {
#ifdef _WIN32
    std::string path = "c:\\VARDELO.ini";
#else
    // The machine-wide folder that survives reboots, as the root of drive C
    // does on Windows.
    std::string path = "/var/tmp/VARDELO.ini";
#endif
    EnsureFileExists(path);
    return path;
}

}  // namespace quorvex
