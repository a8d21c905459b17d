#pragma once

namespace kestrin::sample {

// The patient block of a test data file as the clinic software writes it: the sample tool writes
// it and the tests read it by this table, never by the anonymiser's own.
inline constexpr int kBlockOffset = 51;
inline constexpr int kBlockSize = 139;

struct BlockField {
    int Offset; // in the block
    int Length;
};
inline constexpr BlockField kName{0, 20};
inline constexpr BlockField kForename{20, 20};
inline constexpr BlockField kId{60, 12};
inline constexpr BlockField kCleared{72, 4};
inline constexpr BlockField kMothersName{77, 15};

} // namespace kestrin::sample
