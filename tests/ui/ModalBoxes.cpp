#include "tests/ui/ModalBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace kestrin::testing {

struct ModalBoxes::Poller {
    QTimer timer;
};

ModalBoxes::ModalBoxes(std::function<void()> whileShown) : poller_(std::make_unique<Poller>()) {
    poller_->timer.setInterval(10);
    QObject::connect(&poller_->timer, &QTimer::timeout, [this, whileShown] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            return;
        }
        seen_.push_back({box->windowTitle(), box->text(), static_cast<int>(box->icon())});
        if (whileShown) {
            whileShown();
        }
        box->button(QMessageBox::Ok)->click();
    });
    poller_->timer.start();
}

ModalBoxes::~ModalBoxes() = default;

bool NoWindowsLeft() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible()) {
            return false;
        }
    }
    return true;
}

} // namespace kestrin::testing
