#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kestrin {

// Finds any of many byte patterns (each at least 4 bytes) in a text in one pass: the first four
// bytes of each position are looked up in a bitmap before any pattern is compared.
class PatternSearch {
public:
    static constexpr std::size_t kShortest = 4;

    PatternSearch() = default;
    explicit PatternSearch(const std::vector<std::string>& patterns); // shorter ones are left out

    bool Empty() const { return patterns_.empty(); }
    std::size_t Longest() const { return longest_; }

    // The length of the longest pattern starting at this position, or 0.
    std::size_t MatchAt(std::string_view text, std::size_t position) const;
    bool Contains(std::string_view text) const;
    // Positions in the file where a pattern starts, read in pieces; -1 when it cannot be read.
    // With foldCase the file's bytes are compared with Windows-1252 letter case folded.
    long CountInFile(int file, bool foldCase = false) const;

private:
    static std::uint32_t KeyAt(const char* bytes);
    static std::size_t Slot(std::uint32_t key) { return (key * 2654435761u) >> 10; }

    std::vector<std::string> patterns_;
    std::unordered_map<std::uint32_t, std::vector<std::uint32_t>> byKey_;
    std::vector<bool> bitmap_ = std::vector<bool>(std::size_t{1} << 22);
    std::size_t longest_ = 0;
};

} // namespace kestrin
