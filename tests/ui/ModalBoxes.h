#pragma once

#include "ui/MessageBox.h"

#include <QString>
#include <functional>
#include <vector>

namespace kestrin::testing {

struct SeenBox {
    QString Title;
    QString Text;
    int Icon;
};

// Answers every box the program shows while it lives with "OK", after letting the test look at
// the window behind it, and keeps what each box said.
class ModalBoxes {
public:
    explicit ModalBoxes(std::function<void()> whileShown = {});
    ~ModalBoxes();
    ModalBoxes(const ModalBoxes&) = delete;
    ModalBoxes& operator=(const ModalBoxes&) = delete;

    const std::vector<SeenBox>& Seen() const { return seen_; }

private:
    std::vector<SeenBox> seen_;
};

// No top-level window is left open.
bool NoWindowsLeft();

} // namespace kestrin::testing
