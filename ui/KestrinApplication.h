#pragma once

#include <QApplication>

namespace kestrin::ui {

// The application object; whatever still escapes an event handler is reported, not fatal.
class KestrinApplication : public QApplication {
public:
    KestrinApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace kestrin::ui
