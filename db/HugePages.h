// SPDX-License-Identifier: GPL-3.0-or-later
// Large buffers backed by huge pages where the system offers them on
// request. Touching fresh memory costs a fault per small page, which for the
// hundred megabytes a large food table fills costs more than reading its
// file; and the tables jump through their buffers in an order of their own,
// which small pages turn into a translation miss at nearly every step. Even
// with huge pages, the faults of a fresh buffer of hundreds of megabytes
// take longer than filling it: FaultAhead lets a second processor take them.
#pragma once

#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

namespace quorvex {

// Asks for huge pages under the whole 2 MiB pages within the size bytes at
// data, before they are first touched. Only advice: without huge pages the
// memory works the same.
void AdviseHugePages(const void* data, std::size_t size);

// Reserves room for count items, advised as above: for vectors that grow
// large and are filled once.
template <class T>
void ReserveLarge(std::vector<T>& items, std::size_t count) {
    if (count <= items.capacity()) return;
    items.reserve(count);
    AdviseHugePages(items.data(), count * sizeof(T));
}

// While it lives, a thread of its own faults in the pages of a buffer that
// is being filled from its start, a little ahead of the filling and never
// further, so that the filler finds its pages there and a filling that
// stops early leaves the rest untouched. Nothing is written: the pages are
// only made present. Small buffers get no thread.
class FaultAhead {
  public:
    FaultAhead(char* data, std::size_t size);
    // Stops the thread where it is and waits for it.
    ~FaultAhead();
    FaultAhead(const FaultAhead&) = delete;
    FaultAhead& operator=(const FaultAhead&) = delete;

    // The buffer is filled up to offset: the thread goes on up to a
    // stretch beyond it.
    void FilledUpTo(std::size_t offset);

  private:
    void Run();

    char* data_;
    std::size_t size_;
    std::atomic<std::size_t> filled_{0};
    std::thread thread_;
};

}  // namespace quorvex
