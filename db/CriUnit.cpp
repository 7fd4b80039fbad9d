// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/CriUnit.h"

#include <array>
#include <cstdint>
#include <stdexcept>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace quorvex {

namespace {

using Alphabet = std::array<unsigned char, 256>;

// Each alphabet is a fixed permutation of the byte values, drawn at compile
// time by a Fisher-Yates shuffle from its own seed. 0, 10 and 13 stay in
// place, so a plain byte can never be stored as a NUL or a line end.
constexpr bool IsFixed(int v) { return v == 0 || v == 10 || v == 13; }

constexpr Alphabet MakeAlphabet(std::uint32_t seed) {
    std::array<unsigned char, 253> moving{};
    int count = 0;
    for (int v = 0; v < 256; ++v) {
        if (!IsFixed(v)) moving[count++] = static_cast<unsigned char>(v);
    }
    std::uint32_t state = seed;
    for (int i = count - 1; i > 0; --i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        const int j = static_cast<int>(state % static_cast<std::uint32_t>(i + 1));
        const unsigned char kept = moving[i];
        moving[i] = moving[j];
        moving[j] = kept;
    }
    Alphabet alphabet{};
    int next = 0;
    for (int v = 0; v < 256; ++v) {
        alphabet[v] = IsFixed(v) ? static_cast<unsigned char>(v) : moving[next++];
    }
    return alphabet;
}

constexpr std::array<Alphabet, 5> kAlphabets = {
    MakeAlphabet(0x6B8B4567u), MakeAlphabet(0x327B23C6u), MakeAlphabet(0x643C9869u),
    MakeAlphabet(0x66334873u), MakeAlphabet(0x74B0DC51u),
};

// The alphabet for b repeats with period 60; one decode table per phase
// (b mod 60) turns a stored byte straight into its plain byte.
constexpr int kPeriod = 60;

constexpr int AlphabetForPhase(int b) {
    if (b % 5 == 0) return 5;
    if (b % 4 == 0) return 4;
    if (b % 3 == 0) return 3;
    if (b % 2 == 0) return 2;
    return 1;
}

struct PhaseTables {
    std::array<Alphabet, kPeriod> decode{};
};

constexpr PhaseTables MakePhaseTables() {
    std::array<Alphabet, 5> inverse{};
    for (int k = 0; k < 5; ++k) {
        for (int v = 0; v < 256; ++v) inverse[k][kAlphabets[k][v]] = static_cast<unsigned char>(v);
    }
    PhaseTables tables;
    for (int phase = 0; phase < kPeriod; ++phase) {
        tables.decode[phase] = inverse[AlphabetForPhase(phase) - 1];
    }
    return tables;
}

constexpr PhaseTables kTables = MakePhaseTables();

// Decodes size bytes at bytes whose first has phase, one table per byte.
void DecodeByTables(unsigned char* bytes, size_t size, int phase) {
    size_t i = 0;
    for (; i < size && phase != 0; ++i) {
        bytes[i] = kTables.decode[phase][bytes[i]];
        if (++phase == kPeriod) phase = 0;
    }
    // Whole periods: the table of each position is a constant, so the
    // unrolled loop carries no phase counter.
    for (; i + kPeriod <= size; i += kPeriod) {
#pragma GCC unroll 60
        for (int j = 0; j < kPeriod; ++j) bytes[i + j] = kTables.decode[j][bytes[i + j]];
    }
    for (int j = 0; i < size; ++i, ++j) bytes[i] = kTables.decode[j][bytes[i]];
}

#if defined(__x86_64__)
// With the byte permutes of AVX-512 VBMI, 64 bytes are decoded at once: each
// is looked up in all five inverse alphabets, and per-phase masks pick, for
// each of the 64 positions, the alphabet its phase uses. A foods file is
// hundreds of megabytes, and this is several times faster than a table
// lookup per byte.
constexpr int kChunk = 64;

struct ChunkMasks {
    // alphabet[phase][k]: bit j set when the byte j places after one of
    // that phase uses alphabet k + 1.
    std::array<std::array<std::uint64_t, 5>, kPeriod> alphabet{};
};

constexpr ChunkMasks MakeChunkMasks() {
    ChunkMasks masks;
    for (int phase = 0; phase < kPeriod; ++phase) {
        for (int j = 0; j < kChunk; ++j) {
            masks.alphabet[phase][AlphabetForPhase((phase + j) % kPeriod) - 1] |= std::uint64_t{1}
                                                                                  << j;
        }
    }
    return masks;
}

constexpr ChunkMasks kChunkMasks = MakeChunkMasks();

#define QUORVEX_VBMI __attribute__((target("avx512f,avx512bw,avx512vbmi")))

QUORVEX_VBMI __m512i LookUp(const unsigned char* table, __m512i stored) {
    const __m512i low =
        _mm512_permutex2var_epi8(_mm512_loadu_si512(table), stored, _mm512_loadu_si512(table + 64));
    const __m512i high = _mm512_permutex2var_epi8(_mm512_loadu_si512(table + 128), stored,
                                                  _mm512_loadu_si512(table + 192));
    return _mm512_mask_blend_epi8(_mm512_movepi8_mask(stored), low, high);
}

QUORVEX_VBMI void DecodeByChunks(unsigned char* bytes, size_t size, int phase) {
    // Phase 1 uses alphabet 1, 2 alphabet 2, and so on: their tables are
    // the inverse alphabets.
    const unsigned char* inverse[5];
    for (int k = 0; k < 5; ++k) inverse[k] = kTables.decode[k + 1].data();
    for (size_t i = 0; i < size; i += kChunk) {
        const size_t left = size - i;
        const __mmask64 inside = left >= kChunk ? ~__mmask64{0} : (__mmask64{1} << left) - 1;
        const __m512i stored = _mm512_maskz_loadu_epi8(inside, bytes + i);
        __m512i plain = LookUp(inverse[0], stored);
        for (int k = 1; k < 5; ++k) {
            plain = _mm512_mask_blend_epi8(kChunkMasks.alphabet[phase][k], plain,
                                           LookUp(inverse[k], stored));
        }
        _mm512_mask_storeu_epi8(bytes + i, inside, plain);
        phase = (phase + kChunk) % kPeriod;
    }
}

bool HasByteShuffles() {
    static const bool has = __builtin_cpu_supports("avx512vbmi") != 0;
    return has;
}
#endif

// The phase of a line's first byte: b = lineIndex + p with p from 1, and
// only b mod 60 matters.
int FirstPhase(int lineIndex) {
    if (lineIndex < 0) throw std::out_of_range("negative line index " + std::to_string(lineIndex));
    return static_cast<int>((static_cast<long long>(lineIndex) % kPeriod + 1) % kPeriod);
}

}  // namespace

int AlphabetFor(long long b) { return AlphabetForPhase(static_cast<int>(b % kPeriod)); }

const std::string& DecodeAlphabet(int k) {
    static const std::array<std::string, 5> texts = [] {
        std::array<std::string, 5> result;
        for (int i = 0; i < 5; ++i) {
            result[i].assign(reinterpret_cast<const char*>(kAlphabets[i].data()), 256);
        }
        return result;
    }();
    if (k < 1 || k > 5) throw std::out_of_range("no decode alphabet " + std::to_string(k));
    return texts[k - 1];
}

void DecodeLineInPlace(int lineIndex, std::string& line) {
    DecodeLineInPlace(lineIndex, line.data(), line.size());
}

void DecodeLineInPlace(int lineIndex, char* line, std::size_t size) {
    const int phase = FirstPhase(lineIndex);
    unsigned char* bytes = reinterpret_cast<unsigned char*>(line);
#if defined(__x86_64__)
    if (HasByteShuffles()) {
        DecodeByChunks(bytes, size, phase);
        return;
    }
#endif
    DecodeByTables(bytes, size, phase);
}

void DecodeLineInPlaceByTables(int lineIndex, char* line, std::size_t size) {
    DecodeByTables(reinterpret_cast<unsigned char*>(line), size, FirstPhase(lineIndex));
}

std::string DecodeLine(int lineIndex, const std::string& stored) {
    std::string plain = stored;
    DecodeLineInPlace(lineIndex, plain);
    return plain;
}

}  // namespace quorvex
