// SPDX-License-Identifier: GPL-3.0-or-later
// Shared by the fuzz targets: cutting one input into parts, and the check
// that turns a broken property into a crash libFuzzer keeps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex::fuzz {

// The input cut at every form feed into at least count parts (missing parts
// are empty, extra ones stay in the last). Seeds stay readable text files.
inline std::vector<std::string> SplitParts(const std::uint8_t* data, std::size_t size,
                                           std::size_t count) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> parts;
    while (parts.size() + 1 < count) {
        const std::size_t cut = rest.find('\f');
        if (cut == std::string_view::npos) break;
        parts.emplace_back(rest.substr(0, cut));
        rest.remove_prefix(cut + 1);
    }
    parts.emplace_back(rest);
    parts.resize(count);
    return parts;
}

// A property that must hold for every input: abort with its name otherwise.
inline void Require(bool holds, const char* property) {
    if (holds) return;
    std::fprintf(stderr, "property broken: %s\n", property);
    std::abort();
}

}  // namespace quorvex::fuzz
