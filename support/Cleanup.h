#pragma once

#include <optional>
#include <type_traits>
#include <utility>

namespace kestrin {

// Runs the clean-up after the body, also while an error passes out of the body. A clean-up that
// fails while an error is passing gives way: the first error is the one reported.
template <typename Body, typename Cleanup> auto WithCleanup(Body&& body, Cleanup&& cleanup) {
    using Result = decltype(body());
    std::optional<std::conditional_t<std::is_void_v<Result>, bool, Result>> result;
    try {
        if constexpr (std::is_void_v<Result>) {
            body();
            result = true;
        } else {
            result = body();
        }
    } catch (...) {
        try {
            cleanup();
        } catch (...) { // NOLINT(bugprone-empty-catch): the first error is the one that passes
        }
        throw;
    }
    cleanup();
    if constexpr (!std::is_void_v<Result>) {
        return std::move(*result);
    }
}

} // namespace kestrin
