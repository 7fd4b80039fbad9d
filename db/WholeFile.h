// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a file whole into memory. The one reader of every file the
// programs read: the data files, the settings file and USDA's files. It
// looks at what stands at a path before opening it and opens only regular
// files, so a FIFO, a device or a folder put where a file is expected fails
// at once, is never opened (opening a device can act on it), and neither
// hangs the caller nor fills memory.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex {

// What ReadWholeFile and ThrowNotEnoughMemory throw when a file does not
// fit in memory: "Not enough memory to read file <path>".
class NotEnoughMemory : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The bytes this process may still allocate: the least of the machine's
// memory, what its control group's memory limit leaves, and what the
// address-space and data-size limits (RLIMIT_AS, RLIMIT_DATA) leave. Work
// that holds several files at once, such as an import, budgets them
// together against it.
std::size_t UsableMemory();

// For work that holds the files at paths at once and needs about
// timesTheirSize times their bytes in all (their bytes included): throws
// NotEnoughMemory naming the largest of them when that exceeds
// UsableMemory(), before anything is read. Files that are missing or not
// regular count nothing: reading them fails on its own.
void RequireMemoryForFiles(const std::vector<std::string>& paths, std::size_t timesTheirSize);

// A descriptor open for reading on the regular file at path, or -1 with
// nothing opened for anything else (nothing there, a FIFO, a device, a
// folder; a symbolic link unless followLinks). The type is checked before
// anything is opened, so no device is ever opened, and info receives the
// file's fstat.
int OpenRegularFile(const std::string& path, bool followLinks, struct stat& info);

// The bytes of the regular file at path (a symbolic link to one is
// followed). Throws std::runtime_error "Cannot open file <path>" when it
// cannot be opened or read or is not a regular file, and NotEnoughMemory
// "Not enough memory to read file <path>" when it is larger than half of
// UsableMemory() (what is built from a file needs about as much again) or
// its bytes cannot be allocated. The message names the file in every case,
// so callers pass it on to the user as it is. With info, the file's fstat
// is stored there.
std::string ReadWholeFile(const std::string& path, struct stat* info = nullptr);

// Bytes read into memory that nothing wrote before: a std::string fills
// its room with zeros before anything can be read into it, a pass of its
// own over the hundreds of megabytes of a large food table.
class FileBytes {
  public:
    FileBytes() = default;

    char* data() { return bytes_.get(); }
    const char* data() const { return bytes_.get(); }
    std::size_t size() const { return size_; }
    std::string_view View() const { return {bytes_.get(), size_}; }

    // For the reader: room for size bytes; resize leaves new bytes unset.
    void reserve(std::size_t size);
    void resize(std::size_t size);

  private:
    std::unique_ptr<char[]> bytes_;
    std::size_t size_ = 0;
    std::size_t room_ = 0;
};

// ReadWholeFile for a text whose first NUL byte ends it, into FileBytes,
// for texts read to be looked at in place. The bytes stop at the NUL; a
// file larger than the limit, which only such a NUL makes readable, is read
// only that far, so memory holds only the text, whatever follows it.
FileBytes ReadWholeText(const std::string& path);

// One step of a text read in steps (ReadTextInSteps): bytes [begin, end) of
// the file, which now stand at the same offsets in text, the room for the
// whole file; read is false when they could not be read whole.
struct TextStep {
    std::size_t index;
    char* text;
    std::size_t begin;
    std::size_t end;
    bool read;
};

// Work on a text a step at a time, while each step is fresh in the cache.
class TextSteps {
  public:
    // On the caller's thread, before any step is read: the number of steps.
    virtual void Begin(std::size_t count) = 0;
    // On the thread that read the step, as soon as it is read. Must not
    // throw: the reading goes on regardless.
    virtual void Step(const TextStep& step) = 0;

  protected:
    ~TextSteps() = default;
};

// The size of the steps in which ReadTextInSteps reads a file of size
// bytes: small enough to stay in a processor's cache while it is worked
// on, and at least 16 of them, so that two threads share the work.
std::size_t TextStepBytes(std::size_t size);

// The smallest file ReadTextInSteps reads.
constexpr std::size_t kTextInStepsFrom = std::size_t{256} << 10;

// ReadWholeText for a large text, read in steps that two threads take in
// turn, each step handed to steps.Step on the thread that read it, in
// increasing order on each thread; every step is handed over, and from the
// first one that could not be read whole (a NUL, a read error, a file that
// shrank) on, each is handed over unread. Gives the bytes when every step
// was read and the file did not grow meanwhile. Gives nothing for anything
// else: a file that is smaller than kTextInStepsFrom, larger than
// ReadWholeText allows, holds a NUL, cannot be opened or read, or changed
// size while read, and then the caller reads it with ReadWholeText, which
// says why where it fails.
std::optional<FileBytes> ReadTextInSteps(const std::string& path, TextSteps& steps);

// The bytes of the regular file standing at path itself when it holds at
// most maxBytes; nothing for anything else (nothing there, a symbolic
// link, a FIFO, a device, a folder, a larger file, a read error). For files
// in folders where anyone may plant anything, such as the settings file.
std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t maxBytes);

// Throws NotEnoughMemory "Not enough memory to read file <path>": for
// work on a file's bytes that ran out of memory after they were read.
[[noreturn]] void ThrowNotEnoughMemory(const std::string& path);

}  // namespace quorvex
