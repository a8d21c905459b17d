#include "ui/UncaughtErrors.h"

#include <QApplication>
#include <QMessageBox>

#include <iostream>

namespace kestrin::ui {

void ReportUncaughtError(const std::string& text) noexcept {
    std::cerr << kUncaughtErrorText << "\n" << text << std::endl;
    try {
        QMessageBox box(QMessageBox::Critical, "Error",
                        QString(kUncaughtErrorText) + "\n" + QString::fromStdString(text),
                        QMessageBox::Ok, QApplication::activeWindow());
        box.setObjectName("UncaughtErrorBox");
        box.exec();
    } catch (...) {
        // The report already went to standard error; a box that cannot be shown ends nothing.
    }
}

} // namespace kestrin::ui
