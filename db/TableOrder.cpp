// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/TableOrder.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstdint>
#include <cstring>
#include <future>

#include "db/Collation.h"
#include "db/SecondThread.h"

namespace quorvex {

namespace {

// A line and the sort weights of its 16 bytes from some offset, which
// order most pairs of lines that agree before the offset without touching
// the lines again.
struct SortKey {
    std::uint64_t first;
    std::uint64_t second;
    std::string_view line;
};

void SetWeights(SortKey& key, size_t offset) {
    const std::string_view rest =
        offset < key.line.size() ? key.line.substr(offset) : std::string_view();
    key.first = CollationPrefix(rest);
    key.second = rest.size() > 8 ? CollationPrefix(rest.substr(8)) : 0;
}

// The lines lie in the file's bytes in file order, so equal lines keep
// their file order by their places in the bytes.
bool KeyLess(const SortKey& a, const SortKey& b) {
    if (a.first != b.first) return a.first < b.first;
    if (a.second != b.second) return a.second < b.second;
    return a.line.data() < b.line.data();
}

// How many of the size bytes at a and b are equal before the first that
// differs; eight at a time.
size_t MatchingLength(const char* a, const char* b, size_t size) {
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t wordA = 0, wordB = 0;
        std::memcpy(&wordA, a + i, 8);
        std::memcpy(&wordB, b + i, 8);
        if (wordA != wordB) {
            const std::uint64_t differ = wordA ^ wordB;
            const int bit = std::endian::native == std::endian::little ? std::countr_zero(differ)
                                                                       : std::countl_zero(differ);
            return i + static_cast<size_t>(bit) / 8;
        }
    }
    while (i < size && a[i] == b[i]) ++i;
    return i;
}

// The lines of a run of keys lie scattered through the buffer: fetching
// this many keys ahead hides most of the wait for each line.
constexpr std::ptrdiff_t kRunAhead = 32;

// How many bytes from offset on every line of the keys from begin to end
// shares with the first: the stretch where they all agree in weight too,
// which sorting 16 bytes at a time would pass through in vain.
size_t CommonLength(std::vector<SortKey>::const_iterator begin,
                    std::vector<SortKey>::const_iterator end, size_t offset) {
    const std::string_view first = begin->line.substr(std::min(offset, begin->line.size()));
    size_t common = first.size();
    for (auto key = begin + 1; key != end && common > 0; ++key) {
        if (end - key > kRunAhead) __builtin_prefetch(key[kRunAhead].line.data() + offset);
        const std::string_view line = key->line.substr(std::min(offset, key->line.size()));
        const size_t length = std::min(common, line.size());
        common = MatchingLength(first.data(), line.data(), length);
    }
    return common;
}

// Byte depth (0 to 15) of the 16 weights of a key, the first the highest.
unsigned WeightByte(const SortKey& key, int depth) {
    const std::uint64_t half = depth < 8 ? key.first : key.second;
    return static_cast<unsigned>(half >> (56 - 8 * (depth % 8))) & 0xFF;
}

// Below this many keys a comparison sort is cheaper than a counting pass.
constexpr std::ptrdiff_t kFewKeys = 48;

// Sorts the keys from begin to end, which agree on their first depth
// weight bytes, by KeyLess: one weight byte at a time, by counting and
// placing through scratch, each bucket sorted on by the next byte, a byte
// that all of them share skipped. Few keys, and keys whose 16 weight bytes
// are all equal, go to a comparison sort, which puts equal weights in the
// order of their lines in the buffer.
void SortKeys(SortKey* begin, SortKey* end, int depth, std::vector<SortKey>& scratch) {
    for (; depth < 16; ++depth) {
        if (end - begin < kFewKeys) break;
        std::array<size_t, 257> start{};
        for (const SortKey* key = begin; key != end; ++key) ++start[WeightByte(*key, depth) + 1];
        const auto size = static_cast<size_t>(end - begin);
        if (std::find(start.begin(), start.end(), size) != start.end()) continue;
        for (size_t b = 1; b < start.size(); ++b) start[b] += start[b - 1];
        if (scratch.size() < size) scratch.resize(size);
        std::array<size_t, 257> next = start;
        for (const SortKey* key = begin; key != end; ++key) {
            scratch[next[WeightByte(*key, depth)]++] = *key;
        }
        std::copy(scratch.begin(), scratch.begin() + static_cast<std::ptrdiff_t>(size), begin);
        for (size_t b = 0; b < 256; ++b) {
            if (start[b + 1] - start[b] > 1) {
                SortKeys(begin + start[b], begin + start[b + 1], depth + 1, scratch);
            }
        }
        return;
    }
    std::sort(begin, end, KeyLess);
}

// Runs of keys whose lines agree on their first offset bytes.
struct Run {
    size_t begin;
    size_t end;
    size_t offset;
};

// Sorts the keys of run by the 16 bytes of their lines after the stretch
// they all share from the run's offset on, and adds to pending every run of
// keys whose weights are still equal and whose lines go on past those 16
// bytes. Equal weights with a line that ends before the 16 bytes end mean
// equal lines (a byte's weight is never 0), already in file order; a line
// that ends exactly where they end may still be the start of longer ones.
// Returns how many keys reached their places.
size_t SortRun(std::vector<SortKey>& keys, const Run& run, std::vector<Run>& pending,
               std::vector<SortKey>& scratch) {
    const auto begin = keys.begin() + static_cast<std::ptrdiff_t>(run.begin);
    const auto end = keys.begin() + static_cast<std::ptrdiff_t>(run.end);
    size_t offset = run.offset;
    if (offset > 0) {
        offset += CommonLength(begin, end, offset);
        for (auto key = begin; key != end; ++key) {
            if (end - key > kRunAhead) __builtin_prefetch(key[kRunAhead].line.data() + offset);
            SetWeights(*key, offset);
        }
    }
    // A group is placed by its first two weight bytes already.
    SortKeys(&*begin, &*begin + (end - begin), run.offset == 0 ? 2 : 0, scratch);
    const size_t next = offset + 16;
    size_t placed = 0;
    for (auto same = begin; same != end;) {
        const auto after = std::find_if(same + 1, end, [&same](const SortKey& key) {
            return key.first != same->first || key.second != same->second;
        });
        if (after - same > 1 && same->line.size() >= next) {
            pending.push_back({static_cast<size_t>(same - keys.begin()),
                               static_cast<size_t>(after - keys.begin()), next});
        } else {
            placed += static_cast<size_t>(after - same);
        }
        same = after;
    }
    return placed;
}

// The buckets of the first step: the weights of a line's first two bytes.
constexpr size_t kLeadBuckets = size_t{1} << 16;

size_t LeadBucket(std::uint64_t weights) { return static_cast<size_t>(weights >> 48); }

// Fills keys with the keys of lines, weighed from their start, grouped by
// their first two bytes' weights in order, each group in file order, and
// returns the groups as runs to sort. One counting pass and one placing
// pass do what the first levels of a comparison sort over all the lines
// would, and the sort can tell its progress group by group from the start.
std::vector<Run> PlaceByLeadingWeights(const std::vector<std::string_view>& lines,
                                       std::vector<SortKey>& keys) {
    // Lines lie hundreds of bytes apart, further than the processor
    // fetches ahead on its own: each pass fetches the lines it reads ahead.
    constexpr size_t kAhead = 16;
    const auto fetchAhead = [&lines](size_t i) {
        if (i + kAhead < lines.size()) __builtin_prefetch(lines[i + kAhead].data());
    };
    std::vector<std::uint32_t> next(kLeadBuckets + 1, 0);
    for (size_t i = 0; i < lines.size(); ++i) {
        fetchAhead(i);
        ++next[LeadBucket(CollationPrefix(lines[i])) + 1];
    }
    std::vector<Run> runs;
    for (size_t bucket = 0; bucket < kLeadBuckets; ++bucket) {
        if (next[bucket + 1] != 0)
            runs.push_back({next[bucket], next[bucket] + next[bucket + 1], 0});
        next[bucket + 1] += next[bucket];
    }
    keys.resize(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        fetchAhead(i);
        SortKey key{0, 0, lines[i]};
        SetWeights(key, 0);
        keys[next[LeadBucket(key.first)]++] = key;
    }
    return runs;
}

// Sorts the keys of the runs pending and of the runs that sorting them
// leaves to sort again, calling placed with how many keys reached their
// places each time some did.
template <class Placed>
void SortRuns(std::vector<SortKey>& keys, std::vector<Run> pending, const Placed& placed) {
    std::vector<SortKey> scratch;
    while (!pending.empty()) {
        const Run run = pending.back();
        pending.pop_back();
        placed(SortRun(keys, run, pending, scratch));
    }
}

}  // namespace

bool SortsByWeights(size_t count) {
    // Below this many lines the weights save little or nothing (db_bench).
    return count >= 50000;
}

void PutInTableOrder(std::vector<std::string_view>& lines, const SortProgress& progress) {
    if (SortsByWeights(lines.size())) {
        SortByCollationWeights(lines, progress);
        return;
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](std::string_view a, std::string_view b) { return CompareText(a, b) < 0; });
}

void SortByCollationWeights(std::vector<std::string_view>& lines, const SortProgress& progress) {
    std::vector<SortKey> keys;
    keys.reserve(lines.size());
    const std::vector<Run> groups = PlaceByLeadingWeights(lines, keys);
    // The groups hold keys apart from each other's: the later ones, about
    // half of the keys, are sorted on a thread of their own, which adds up
    // what it placed for the progress this thread tells.
    const auto middle = std::find_if(groups.begin(), groups.end(), [&keys](const Run& group) {
        return group.end > keys.size() / 2;
    });
    std::atomic<size_t> placedLater{0};
    std::future<void> later = OnSecondThread([&keys, &placedLater, &groups, middle] {
        SortRuns(keys, {middle, groups.end()}, [&placedLater](size_t placed) {
            placedLater.fetch_add(placed, std::memory_order_relaxed);
        });
    });
    size_t placedHere = 0;
    int percent = 0;
    SortRuns(keys, {groups.begin(), middle}, [&](size_t placed) {
        placedHere += placed;
        const size_t all = placedHere + placedLater.load(std::memory_order_relaxed);
        if (progress && all * 100 / keys.size() > static_cast<size_t>(percent)) {
            percent = static_cast<int>(all * 100 / keys.size());
            progress(percent);
        }
    });
    later.get();
    if (progress && percent < 100) progress(100);
    std::transform(keys.begin(), keys.end(), lines.begin(),
                   [](const SortKey& key) { return key.line; });
}

}  // namespace quorvex
