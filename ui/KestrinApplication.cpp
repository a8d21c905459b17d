#include "ui/KestrinApplication.h"

#include "ui/Artwork.h"
#include "ui/MainFormUnit.h"
#include "ui/UncaughtErrors.h"

namespace kestrin::ui {

KestrinApplication::KestrinApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(kApplicationTitle);
    setApplicationDisplayName(kApplicationTitle);
    setApplicationVersion("1.0.0.0");
    setOrganizationName("Kestrin");
    setDesktopFileName("kestrin-anonymise");
    setWindowIcon(ApplicationIcon());
}

bool KestrinApplication::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    RunHandler([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

} // namespace kestrin::ui
