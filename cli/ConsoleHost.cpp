#include "cli/ConsoleHost.h"

#include <chrono>
#include <ostream>
#include <thread>

namespace kestrin {

ConsoleHost::ConsoleHost(std::string folder, std::ostream& errors, bool interactive)
    : folder_(std::move(folder)), errors_(errors), interactive_(interactive) {}

void ConsoleHost::SetStatusText(const std::string& text) {
    if (interactive_) {
        EndProgressLine();
        errors_ << text << "\n" << std::flush;
    }
}

void ConsoleHost::SetProgressPosition(int position) {
    if (!interactive_ || maximum_ <= 0 || (position == 0 && !progressShown_)) {
        return;
    }
    constexpr int kWidth = 40;
    const int filled = static_cast<int>(static_cast<long long>(position) * kWidth / maximum_);
    errors_ << "\r[" << std::string(static_cast<std::size_t>(std::min(filled, kWidth)), '#')
            << std::string(static_cast<std::size_t>(kWidth - std::min(filled, kWidth)), ' ') << "] "
            << position << "/" << maximum_ << std::flush;
    progressShown_ = true;
}

void ConsoleHost::ShowMessage(MessageKind kind, const std::string& text) {
    EndProgressLine();
    errors_ << (kind == MessageKind::Error     ? "error: "
                : kind == MessageKind::Warning ? "warning: "
                                               : "")
            << text << "\n"
            << std::flush;
    lastMessage_ = kind;
    errorShown_ = errorShown_ || kind == MessageKind::Error;
}

void ConsoleHost::Pause(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void ConsoleHost::EndProgressLine() {
    if (progressShown_) {
        errors_ << "\n";
        progressShown_ = false;
    }
}

} // namespace kestrin
