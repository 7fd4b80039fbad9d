#include "db/CriUnit.h"

#include <array>
#include <cstdint>
#include <stdexcept>

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
    if (lineIndex < 0) throw std::out_of_range("negative line index " + std::to_string(lineIndex));
    // b = lineIndex + p with p from 1; only b mod 60 matters.
    int phase = static_cast<int>((static_cast<long long>(lineIndex) % kPeriod + 1) % kPeriod);
    unsigned char* bytes = reinterpret_cast<unsigned char*>(line);
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

std::string DecodeLine(int lineIndex, const std::string& stored) {
    std::string plain = stored;
    DecodeLineInPlace(lineIndex, plain);
    return plain;
}

}  // namespace quorvex
