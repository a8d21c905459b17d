#pragma once

#include <exception>
#include <string>

namespace kestrin::ui {

inline constexpr const char* kUncaughtErrorText = "An error occurred in the application.";

// Shows the error in a modal box and writes it to standard error; the program goes on.
void ReportUncaughtError(const std::string& text) noexcept;

// Runs an event handler so that no error leaves it into the window toolkit.
template <typename Handler> void RunHandler(Handler&& handler) noexcept {
    try {
        handler();
    } catch (const std::exception& error) {
        ReportUncaughtError(error.what());
    } catch (...) {
        ReportUncaughtError("Unknown error");
    }
}

} // namespace kestrin::ui
