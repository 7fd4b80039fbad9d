// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/WholeFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <future>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "db/FileIdentity.h"
#include "db/SecondThread.h"

namespace quorvex {

namespace {

constexpr std::size_t kNoLimit = static_cast<std::size_t>(-1);

enum class ReadOutcome { kRead, kNotAFile, kTooLarge };

struct ReadRule {
    bool followLinks;
    bool stopAtNul;
    std::size_t maxBytes;
};

// The steps in which a file is read, and the size from which a file within
// the limit is read in two halves at once past its first step: the faults
// of fresh memory and the copying then fall to two processors.
constexpr std::size_t kStep = std::size_t{16} << 20;
constexpr std::size_t kTwoHalvesFrom = std::size_t{32} << 20;

// What a read into memory gave: how many bytes, and whether a NUL ended a
// text there (then the bytes stop before it).
struct Got {
    std::size_t bytes;
    bool nul;
};

// Maps in the whole pages within size bytes at data, writable, in one
// call: memory a read is about to fill, which the kernel would otherwise
// fault in a page at a time as it copies, at several times the cost on
// these amounts. Only a request: where it fails, the read faults them.
void MapInForWriting(char* data, std::size_t size) {
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pageSize <= 0) return;
    const auto page = static_cast<std::uintptr_t>(pageSize);
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (start + page - 1) / page * page;
    const std::uintptr_t last = (start + size) / page * page;
    if (first < last) madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
}

// Reads up to size bytes of fd at offset into data, fewer where the file
// ends or, with stopAtNul, where a NUL stands, each step mapped in before
// it is read and searched while it is fresh in the cache; nothing on a
// read error.
std::optional<Got> ReadAt(int fd, char* data, std::size_t size, std::size_t offset,
                          bool stopAtNul) {
    std::size_t done = 0;
    while (done < size) {
        const std::size_t step = std::min(kStep, size - done);
        MapInForWriting(data + done, step);
        const ssize_t got = pread(fd, data + done, step, static_cast<off_t>(offset + done));
        if (got == 0) break;
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        const void* nul =
            stopAtNul ? std::memchr(data + done, 0, static_cast<std::size_t>(got)) : nullptr;
        if (nul != nullptr)
            return Got{static_cast<std::size_t>(static_cast<const char*>(nul) - data), true};
        done += static_cast<std::size_t>(got);
    }
    return Got{done, false};
}

// For a file of size bytes within the limit, from kTwoHalvesFrom on: reads
// its first step and then the rest in two halves at once, and leaves fd's
// offset where the reading stopped. The bytes read (fewer where the file
// shrank meanwhile) and whether a NUL ended the text; nothing on a read
// error.
template <class Bytes>
std::optional<Got> ReadInTwoHalves(int fd, std::size_t size, bool stopAtNul, Bytes& bytes) {
    bytes.resize(size);
    std::optional<Got> done = ReadAt(fd, bytes.data(), kStep, 0, stopAtNul);
    if (done && !done->nul && done->bytes == kStep) {
        const std::size_t middle = kStep + (size - kStep) / 2;
        std::future<std::optional<Got>> later =
            OnSecondThread([fd, &bytes, middle, size, stopAtNul] {
                return ReadAt(fd, bytes.data() + middle, size - middle, middle, stopAtNul);
            });
        const std::optional<Got> near =
            ReadAt(fd, bytes.data() + kStep, middle - kStep, kStep, stopAtNul);
        const std::optional<Got> far = later.get();
        if (!near || !far) return std::nullopt;
        done = near->nul || near->bytes < middle - kStep ? Got{kStep + near->bytes, near->nul}
                                                         : Got{middle + far->bytes, far->nul};
    }
    if (!done || lseek(fd, static_cast<off_t>(done->bytes), SEEK_SET) < 0) return std::nullopt;
    return done;
}

// Reads fd, whose size was size, into bytes. A file larger than the limit,
// which only a text ending at a NUL can make readable, is read a step at a
// time, so memory is touched only about as far as the text goes; a smaller
// one from kTwoHalvesFrom on is read in two halves at once. Reading on past
// size notices a file that grew meanwhile.
template <class Bytes>
ReadOutcome ReadOpenFile(int fd, std::size_t size, const ReadRule& rule, Bytes& bytes) {
    if (size > rule.maxBytes && !rule.stopAtNul) return ReadOutcome::kTooLarge;
    const std::size_t room = std::min(size, rule.maxBytes) + 1;
    bytes.reserve(room);
    std::size_t used = 0;
    if (size <= rule.maxBytes && size >= kTwoHalvesFrom) {
        const std::optional<Got> halves = ReadInTwoHalves(fd, size, rule.stopAtNul, bytes);
        if (!halves) return ReadOutcome::kNotAFile;
        used = halves->bytes;
        bytes.resize(used);
        if (halves->nul) return ReadOutcome::kRead;
    }
    for (;;) {
        if (used == bytes.size()) {
            if (used > rule.maxBytes) return ReadOutcome::kTooLarge;
            const std::size_t grown = std::max<std::size_t>(2 * used, 1 << 16);
            bytes.resize(used < room ? std::min(room, used + kStep)
                                     : std::min(rule.maxBytes + 1, grown));
        }
        const ssize_t got = read(fd, bytes.data() + used, bytes.size() - used);
        if (got == 0) break;
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return ReadOutcome::kNotAFile;
        const void* nul = rule.stopAtNul ? std::memchr(bytes.data() + used, 0, got) : nullptr;
        if (nul != nullptr) {
            used = static_cast<std::size_t>(static_cast<const char*>(nul) - bytes.data());
            break;
        }
        used += static_cast<std::size_t>(got);
    }
    bytes.resize(used);
    return ReadOutcome::kRead;
}

template <class Bytes>
ReadOutcome ReadRegularFile(const std::string& path, const ReadRule& rule, Bytes& bytes,
                            struct stat* shown) {
    struct stat info {};
    const int fd = OpenRegularFile(path, rule.followLinks, info);
    if (fd < 0) return ReadOutcome::kNotAFile;
    if (shown != nullptr) *shown = info;
    ReadOutcome outcome = ReadOutcome::kTooLarge;
    try {
        outcome = ReadOpenFile(fd, static_cast<std::size_t>(info.st_size), rule, bytes);
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    close(fd);
    if (outcome != ReadOutcome::kRead) bytes = Bytes();
    return outcome;
}

std::size_t Room(unsigned long long limit, unsigned long long used) {
    if (limit >= kNoLimit) return kNoLimit;
    return limit > used ? static_cast<std::size_t>(limit - used) : 0;
}

// The first number in the file at path, or nothing ("max", no file).
std::optional<unsigned long long> NumberIn(const std::string& path) {
    std::ifstream file(path);
    unsigned long long number = 0;
    if (file >> number) return number;
    return std::nullopt;
}

// The bytes of memory.stat's entry name (0 when it has none).
unsigned long long StatEntry(const std::string& path, std::string_view name) {
    std::ifstream file(path);
    std::string key;
    unsigned long long bytes = 0;
    while (file >> key >> bytes) {
        if (key == name) return bytes;
    }
    return 0;
}

// The room the memory limits of the group at path (relative to the
// hierarchy at base) and of every group above it leave. A group's usage
// counts the cache of the files it read, which the kernel drops before an
// allocation fails: its inactive part is not counted as used, or reading
// a file larger than the limit would leave no room at all.
std::size_t GroupRoom(const std::string& base, std::string path, const char* limitFile,
                      const char* usageFile, std::string_view inactiveCache) {
    std::size_t room = kNoLimit;
    for (;;) {
        const std::string folder = base + path + "/";
        const auto limit = NumberIn(folder + limitFile);
        const auto usage = NumberIn(folder + usageFile);
        if (limit && usage) {
            const unsigned long long cache = StatEntry(folder + "memory.stat", inactiveCache);
            room = std::min(room, Room(*limit, *usage - std::min(*usage, cache)));
        }
        const std::size_t slash = path.rfind('/');
        if (slash == std::string::npos || path.empty()) return room;
        path.resize(slash);
    }
}

// What the control groups of /proc/self/cgroup allow: version 2
// (memory.max) and version 1 (memory.limit_in_bytes).
std::size_t ControlGroupRoom() {
    std::ifstream groups("/proc/self/cgroup");
    std::size_t room = kNoLimit;
    for (std::string line; std::getline(groups, line);) {
        const std::size_t first = line.find(':');
        const std::size_t second = line.find(':', first + 1);
        if (first == std::string::npos || second == std::string::npos) continue;
        const std::string controllers = line.substr(first + 1, second - first - 1);
        std::string path = line.substr(second + 1);
        if (path == "/") path.clear();
        if (controllers.empty()) {
            for (const char* base : {"/sys/fs/cgroup", "/sys/fs/cgroup/unified"})
                room = std::min(
                    room, GroupRoom(base, path, "memory.max", "memory.current", "inactive_file"));
        } else if (("," + controllers + ",").find(",memory,") != std::string::npos) {
            room = std::min(room, GroupRoom("/sys/fs/cgroup/memory", path, "memory.limit_in_bytes",
                                            "memory.usage_in_bytes", "total_inactive_file"));
        }
    }
    return room;
}

// What a resource limit leaves, given what the process uses of it.
std::size_t ResourceRoom(int resource, unsigned long long used) {
    rlimit limit{};
    if (getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return kNoLimit;
    return Room(limit.rlim_cur, used);
}

// The largest file the whole-file readers take: what is built from a file
// needs about as much memory again as its bytes.
std::size_t MostBytesToRead() { return UsableMemory() / 2; }

template <class Bytes>
Bytes ReadOrThrow(const std::string& path, bool stopAtNul, struct stat* info) {
    Bytes bytes;
    switch (ReadRegularFile(path, {true, stopAtNul, MostBytesToRead()}, bytes, info)) {
        case ReadOutcome::kRead:
            return bytes;
        case ReadOutcome::kTooLarge:
            ThrowNotEnoughMemory(path);
        case ReadOutcome::kNotAFile:
            break;
    }
    throw std::runtime_error("Cannot open file " + path);
}

}  // namespace

// O_PATH opens nothing: the type is checked on that descriptor, and only a
// regular file is then opened for reading, through the descriptor itself,
// so nothing can be swapped in between the check and the open.
int OpenRegularFile(const std::string& path, bool followLinks, struct stat& info) {
    const int where = open(path.c_str(), O_PATH | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW));
    if (where < 0) return -1;
    int fd = -1;
    if (fstat(where, &info) == 0 && S_ISREG(info.st_mode)) {
        fd = open(DescriptorPath(where).c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC);
    }
    close(where);
    return fd;
}

std::size_t UsableMemory() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = std::max(sysconf(_SC_PAGESIZE), 1L);
    std::size_t usable = pages > 0 ? static_cast<std::size_t>(pages) * pageSize : kNoLimit;
    // statm: total and data pages, the first and the sixth number.
    std::ifstream statm("/proc/self/statm");
    unsigned long long total = 0, resident = 0, shared = 0, text = 0, library = 0, data = 0;
    statm >> total >> resident >> shared >> text >> library >> data;
    usable = std::min(usable, ResourceRoom(RLIMIT_AS, total * pageSize));
    usable = std::min(usable, ResourceRoom(RLIMIT_DATA, data * pageSize));
    return std::min(usable, ControlGroupRoom());
}

void RequireMemoryForFiles(const std::vector<std::string>& paths, std::size_t timesTheirSize) {
    std::size_t total = 0, largestSize = 0;
    const std::string* largest = nullptr;
    for (const std::string& path : paths) {
        struct stat info {};
        if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        const auto size = static_cast<std::size_t>(info.st_size);
        total += size;
        if (largest == nullptr || size > largestSize) largest = &path, largestSize = size;
    }
    if (largest != nullptr && total > UsableMemory() / timesTheirSize) {
        ThrowNotEnoughMemory(*largest);
    }
}

std::string ReadWholeFile(const std::string& path, struct stat* info) {
    return ReadOrThrow<std::string>(path, false, info);
}

void FileBytes::reserve(std::size_t size) {
    if (size <= room_) return;
    std::unique_ptr<char[]> bytes = std::make_unique_for_overwrite<char[]>(size);
    if (size_ > 0) std::memcpy(bytes.get(), bytes_.get(), size_);
    bytes_ = std::move(bytes);
    room_ = size;
}

void FileBytes::resize(std::size_t size) {
    if (size > room_) reserve(std::max(size, 2 * room_));
    size_ = size;
}

FileBytes ReadWholeText(const std::string& path) {
    return ReadOrThrow<FileBytes>(path, true, nullptr);
}

std::size_t TextStepBytes(std::size_t size) {
    return std::clamp(size / 16, std::size_t{16} << 10, std::size_t{1} << 20);
}

std::optional<FileBytes> ReadTextInSteps(const std::string& path, TextSteps& steps) {
    struct stat info {};
    const int fd = OpenRegularFile(path, true, info);
    if (fd < 0) return std::nullopt;
    // Closed on every way out, steps.Begin running out of memory included.
    const std::unique_ptr<const int, void (*)(const int*)> closed(
        &fd, [](const int* open) { close(*open); });
    const auto size = static_cast<std::size_t>(info.st_size);
    std::optional<FileBytes> bytes;
    try {
        if (size >= kTextInStepsFrom && size <= MostBytesToRead()) {
            bytes.emplace();
            bytes->resize(size);
        }
    } catch (const std::bad_alloc&) {
        bytes.reset();
    }
    if (!bytes) return std::nullopt;
    const std::size_t stepBytes = TextStepBytes(size);
    const std::size_t count = (size + stepBytes - 1) / stepBytes;
    steps.Begin(count);
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    const auto readSteps = [&] {
        for (std::size_t index = next++; index < count; index = next++) {
            const std::size_t begin = index * stepBytes, end = std::min(size, begin + stepBytes);
            bool read = false;
            if (!failed) {
                const std::optional<Got> got =
                    ReadAt(fd, bytes->data() + begin, end - begin, begin, true);
                read = got && !got->nul && got->bytes == end - begin;
                if (!read) failed = true;
            }
            steps.Step({index, bytes->data(), begin, end, read});
        }
    };
    std::future<void> other = OnSecondThread(readSteps);
    readSteps();
    other.get();
    char past = 0;
    const bool grew = pread(fd, &past, 1, static_cast<off_t>(size)) != 0;
    if (failed || grew) return std::nullopt;
    return bytes;
}

std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t maxBytes) {
    std::string bytes;
    if (ReadRegularFile(path, {false, false, maxBytes}, bytes, nullptr) != ReadOutcome::kRead)
        return std::nullopt;
    return bytes;
}

void ThrowNotEnoughMemory(const std::string& path) {
    throw NotEnoughMemory("Not enough memory to read file " + path);
}

}  // namespace quorvex
