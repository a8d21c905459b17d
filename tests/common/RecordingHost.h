#pragma once

#include "engine/RunHost.h"

#include <functional>
#include <string>
#include <vector>

namespace kestrin::testing {

struct ShownMessage {
    MessageKind Kind;
    std::string Text;
};

// A host that keeps a log of what the run asked of it.
class RecordingHost : public RunHost {
public:
    explicit RecordingHost(std::string folder) : folder_(std::move(folder)) {}

    std::string CurrentFolder() override { return folder_; }
    void SetStatusText(const std::string& text) override;
    void SetProgressMaximum(int maximum) override;
    void SetProgressPosition(int position) override;
    void SetControlsEnabled(bool enabled) override;
    void SetBusyCursor(bool busy) override;
    void ProcessPendingEvents() override;
    void ShowMessage(MessageKind kind, const std::string& text) override;
    void Pause(int milliseconds) override;

    std::string folder_;
    std::vector<std::string>
        Log; // "status:...", "max:N", "pos:N", "enabled:0", "busy:1", "events", "pause:20"
    std::vector<ShownMessage> Messages;
    std::vector<int> Positions;
    bool ControlsEnabled = true;
    bool Busy = false;
    std::string Status;
    std::function<void()> OnEvents; // runs inside ProcessPendingEvents
    std::function<void()> OnPause;  // runs inside Pause
};

} // namespace kestrin::testing
