#include "tests/ui/ModalBoxes.h"

#include <QApplication>
#include <QWidget>

namespace kestrin::testing {

ModalBoxes::ModalBoxes(std::function<void()> whileShown) {
    ui::MessageBox::SetAnswerer([this, whileShown](const ui::BoxContent& box) {
        seen_.push_back({box.Title, box.Text, static_cast<int>(box.Icon)});
        if (whileShown) {
            whileShown();
        }
    });
}

ModalBoxes::~ModalBoxes() {
    ui::MessageBox::SetAnswerer({});
}

bool NoWindowsLeft() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible()) {
            return false;
        }
    }
    return true;
}

} // namespace kestrin::testing
