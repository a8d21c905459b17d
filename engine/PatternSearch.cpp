#include "engine/PatternSearch.h"

#include "support/CaseFold.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kestrin {

PatternSearch::PatternSearch(const std::vector<std::string>& patterns) {
    for (const std::string& pattern : patterns) {
        if (pattern.size() < kShortest) {
            continue;
        }
        const std::uint32_t key = KeyAt(pattern.data());
        byKey_[key].push_back(static_cast<std::uint32_t>(patterns_.size()));
        bitmap_[Slot(key)] = true;
        longest_ = std::max(longest_, pattern.size());
        patterns_.push_back(pattern);
    }
}

std::uint32_t PatternSearch::KeyAt(const char* bytes) {
    std::uint32_t key = 0;
    std::memcpy(&key, bytes, sizeof key);
    return key;
}

std::size_t PatternSearch::MatchAt(std::string_view text, std::size_t position) const {
    if (position + kShortest > text.size()) {
        return 0;
    }
    const std::uint32_t key = KeyAt(text.data() + position);
    if (!bitmap_[Slot(key)]) {
        return 0;
    }
    const auto candidates = byKey_.find(key);
    if (candidates == byKey_.end()) {
        return 0;
    }
    std::size_t longest = 0;
    for (const std::uint32_t index : candidates->second) {
        const std::string& pattern = patterns_[index];
        if (pattern.size() > longest && text.substr(position).starts_with(pattern)) {
            longest = pattern.size();
        }
    }
    return longest;
}

bool PatternSearch::Contains(std::string_view text) const {
    for (std::size_t i = 0; !Empty() && i + kShortest <= text.size(); ++i) {
        if (MatchAt(text, i) > 0) {
            return true;
        }
    }
    return false;
}

long PatternSearch::CountInFile(int file, bool foldCase) const {
    if (Empty()) {
        return 0;
    }
    // One buffer for the whole file: a piece and the tail of the one before it, so that a match
    // across two pieces is found, and counted once.
    constexpr std::size_t kPiece = 1 << 20;
    const std::size_t overlap = longest_ - 1;
    std::vector<char> buffer(overlap + kPiece);
    std::size_t kept = 0;
    long count = 0;
    for (off_t offset = 0;;) {
        const ssize_t n = pread(file, buffer.data() + kept, kPiece, offset);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return -1;
        }
        offset += n;
        const std::size_t filled = kept + static_cast<std::size_t>(n);
        if (foldCase) {
            std::for_each(buffer.begin() + static_cast<long>(kept),
                          buffer.begin() + static_cast<long>(filled),
                          [](char& c) { c = FoldCase1252(c); });
        }
        const std::string_view text(buffer.data(), filled);
        const bool last = n == 0;
        const std::size_t end = last ? filled : filled - std::min(overlap, filled);
        for (std::size_t i = 0; i < end; ++i) {
            count += MatchAt(text, i) > 0 ? 1 : 0;
        }
        if (last) {
            return count;
        }
        std::memmove(buffer.data(), buffer.data() + end, filled - end);
        kept = filled - end;
    }
}

} // namespace kestrin
