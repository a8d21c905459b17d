#pragma once

#include <string>

namespace kestrin {

enum class MessageKind { Error, Warning, Information };

// Everything the run asks of the window it runs in.
class RunHost {
public:
    virtual ~RunHost() = default;

    // The folder open in the folder list: absolute, no trailing delimiter except at the root.
    virtual std::string CurrentFolder() = 0;
    virtual void SetStatusText(const std::string& text) = 0;
    virtual void SetProgressMaximum(int maximum) = 0;
    virtual void SetProgressPosition(int position) = 0;
    // The folder list and both buttons; the drive selector is never disabled.
    virtual void SetControlsEnabled(bool enabled) = 0;
    virtual void SetBusyCursor(bool busy) = 0;
    virtual void ProcessPendingEvents() = 0;
    // Modal, with the single button "OK".
    virtual void ShowMessage(MessageKind kind, const std::string& text) = 0;
    virtual void Pause(int milliseconds) = 0;
};

} // namespace kestrin
