#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

namespace kestrin::ui {

// What a modal box says.
struct BoxContent {
    QMessageBox::Icon Icon;
    QString Title;
    QString Text;
};

// Every modal box of the program, with the single button "OK". A test answers boxes in advance:
// while an answerer is set, each box goes to it instead of the screen.
class MessageBox {
public:
    using Answerer = std::function<void(const BoxContent&)>;

    static void Show(QWidget* parent, const BoxContent& content, const char* objectName = nullptr);
    static void SetAnswerer(Answerer answerer); // empty: boxes show again

private:
    static Answerer& CurrentAnswerer();
};

} // namespace kestrin::ui
