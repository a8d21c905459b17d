#pragma once

#include "engine/RunHost.h"

#include <iosfwd>
#include <optional>
#include <string>

namespace kestrin {

// Hosts the run in a terminal: messages become lines on standard error, and status texts and a
// progress bar are drawn there when it is a terminal.
class ConsoleHost : public RunHost {
public:
    ConsoleHost(std::string folder, std::ostream& errors, bool interactive);

    std::string CurrentFolder() override { return folder_; }
    void SetStatusText(const std::string& text) override;
    void SetProgressMaximum(int maximum) override { maximum_ = maximum; }
    void SetProgressPosition(int position) override;
    void SetControlsEnabled(bool) override {}
    void SetBusyCursor(bool) override {}
    void ProcessPendingEvents() override {}
    void ShowMessage(MessageKind kind, const std::string& text) override;
    void Pause(int milliseconds) override;

    std::optional<MessageKind> LastMessage() const { return lastMessage_; }
    bool ErrorShown() const { return errorShown_; }

private:
    void EndProgressLine();

    std::string folder_;
    std::ostream& errors_;
    bool interactive_;
    int maximum_ = 100;
    bool progressShown_ = false;
    std::optional<MessageKind> lastMessage_;
    bool errorShown_ = false;
};

} // namespace kestrin
