// SPDX-License-Identifier: GPL-3.0-or-later
// Work for a second processor. Where no thread can be had (a process near
// its limits), the work runs on the caller's thread instead when its result
// is asked for: a thread only makes work faster, never possible.
#pragma once

#include <future>
#include <system_error>

namespace quorvex {

// Starts work() on a thread of its own, or leaves it to get(); the result
// and any exception come through the future either way.
template <class Work>
auto OnSecondThread(Work work) {
    try {
        return std::async(std::launch::async, work);
    } catch (const std::system_error&) {
        return std::async(std::launch::deferred, work);
    }
}

}  // namespace quorvex
