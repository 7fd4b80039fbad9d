#include "db/WholeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <stdexcept>

#include "db/HugePages.h"

namespace quorvex {

namespace {

// Sizes the buffer for a file of size bytes; see HugePages.h for why it
// asks for huge pages.
void SizeFor(std::string& bytes, std::size_t size) {
    bytes.reserve(size);
    AdviseHugePages(bytes.data(), size);
    bytes.resize(size);
}

enum class ReadOutcome { kRead, kNotAFile, kTooLarge };

// O_NONBLOCK: opening a FIFO waits for a writer otherwise. The descriptor
// is checked itself, after opening, so nothing can be swapped in between
// a check and the open.
ReadOutcome ReadRegularFile(const std::string& path, bool followLinks, std::size_t maxBytes,
                            std::string& bytes) {
    const int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW);
    const int fd = open(path.c_str(), flags);
    if (fd < 0) return ReadOutcome::kNotAFile;
    struct stat info {};
    ReadOutcome outcome = ReadOutcome::kRead;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        outcome = ReadOutcome::kNotAFile;
    } else if (static_cast<unsigned long long>(info.st_size) > maxBytes) {
        outcome = ReadOutcome::kTooLarge;
    }
    try {
        // One byte more than the size seen, so that a file that grew
        // meanwhile is noticed and read on.
        if (outcome == ReadOutcome::kRead)
            SizeFor(bytes, static_cast<std::size_t>(info.st_size) + 1);
        std::size_t used = 0;
        while (outcome == ReadOutcome::kRead) {
            if (used == bytes.size()) {
                if (used > maxBytes) {
                    outcome = ReadOutcome::kTooLarge;
                    break;
                }
                bytes.resize(std::min(maxBytes + 1, std::max<std::size_t>(2 * used, 1 << 16)));
            }
            const ssize_t got = read(fd, bytes.data() + used, bytes.size() - used);
            if (got == 0) break;
            if (got < 0 && errno != EINTR) outcome = ReadOutcome::kNotAFile;
            if (got > 0) used += static_cast<std::size_t>(got);
        }
        bytes.resize(used);
    } catch (const std::bad_alloc&) {
        outcome = ReadOutcome::kTooLarge;
    } catch (const std::length_error&) {
        outcome = ReadOutcome::kTooLarge;
    }
    close(fd);
    if (outcome != ReadOutcome::kRead) std::string().swap(bytes);
    return outcome;
}

// Half the machine's memory: the tables built from a file need about as
// much again as its bytes.
std::size_t MemoryLimit() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return static_cast<std::size_t>(-1) / 2;
    return static_cast<std::size_t>(pages) / 2 * static_cast<std::size_t>(pageSize);
}

}  // namespace

std::string ReadWholeFile(const std::string& path) {
    std::string bytes;
    switch (ReadRegularFile(path, true, MemoryLimit(), bytes)) {
        case ReadOutcome::kRead:
            return bytes;
        case ReadOutcome::kTooLarge:
            ThrowNotEnoughMemory(path);
        case ReadOutcome::kNotAFile:
            break;
    }
    throw std::runtime_error("Cannot open file " + path);
}

std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t maxBytes) {
    std::string bytes;
    if (ReadRegularFile(path, false, maxBytes, bytes) != ReadOutcome::kRead) return std::nullopt;
    return bytes;
}

void ThrowNotEnoughMemory(const std::string& path) {
    throw NotEnoughMemory("Not enough memory to read file " + path);
}

}  // namespace quorvex
