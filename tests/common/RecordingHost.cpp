#include "tests/common/RecordingHost.h"

namespace kestrin::testing {

void RecordingHost::SetStatusText(const std::string& text) {
    Status = text;
    Log.push_back("status:" + text);
}

void RecordingHost::SetProgressMaximum(int maximum) {
    Log.push_back("max:" + std::to_string(maximum));
}

void RecordingHost::SetProgressPosition(int position) {
    Positions.push_back(position);
    Log.push_back("pos:" + std::to_string(position));
}

void RecordingHost::SetControlsEnabled(bool enabled) {
    ControlsEnabled = enabled;
    Log.push_back(std::string("enabled:") + (enabled ? "1" : "0"));
}

void RecordingHost::SetBusyCursor(bool busy) {
    Busy = busy;
    Log.push_back(std::string("busy:") + (busy ? "1" : "0"));
}

void RecordingHost::ProcessPendingEvents() {
    Log.push_back("events");
    if (OnEvents) {
        OnEvents();
    }
}

void RecordingHost::ShowMessage(MessageKind kind, const std::string& text) {
    Messages.push_back({kind, text});
    Log.push_back(std::string(kind == MessageKind::Error ? "error:" : "info:") + text);
}

void RecordingHost::Pause(int milliseconds) {
    Log.push_back("pause:" + std::to_string(milliseconds));
    if (OnPause) {
        OnPause();
    }
}

} // namespace kestrin::testing
