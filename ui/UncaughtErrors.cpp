#include "ui/UncaughtErrors.h"

#include "ui/MessageBox.h"

#include <QApplication>

#include <iostream>

namespace kestrin::ui {

void ReportUncaughtError(const std::string& text) noexcept {
    std::cerr << kUncaughtErrorText << "\n" << text << std::endl;
    try {
        MessageBox::Show(QApplication::activeWindow(),
                         {QMessageBox::Critical, "Error",
                          QString(kUncaughtErrorText) + "\n" + QString::fromStdString(text)},
                         "UncaughtErrorBox");
    } catch (...) {
        // The report already went to standard error; a box that cannot be shown ends nothing.
    }
}

} // namespace kestrin::ui
