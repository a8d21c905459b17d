#include "firebird/EngineShutdown.h"
#include "firebird/ProcessSetup.h"
#include "ui/KestrinApplication.h"
#include "ui/MainFormUnit.h"

#include <QGuiApplication>

#include <cstdlib>
#include <iostream>

int main(int argc, char** argv) {
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if ((display == nullptr || *display == '\0') && (wayland == nullptr || *wayland == '\0') &&
        platform == nullptr) {
        std::cerr << "kestrin-anonymise: no display to open the window on (set DISPLAY, or use "
                     "kestrin-anonymise-cli ARCHIVE_FOLDER)\n";
        return 1;
    }
    const kestrin::firebird::EngineShutdown shutdown; // after the window, before the process ends
    kestrin::ui::KestrinApplication application(argc, argv);
    kestrin::firebird::PrepareProcessForEngine(); // after Qt has set the locale from the user's

    kestrin::ui::TMainForm MainForm;
    MainForm.show();
    return application.exec();
}
