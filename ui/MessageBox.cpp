#include "ui/MessageBox.h"

namespace kestrin::ui {

MessageBox::Answerer& MessageBox::CurrentAnswerer() {
    static Answerer answerer; // the test seam: one window, one thread
    return answerer;
}

void MessageBox::SetAnswerer(Answerer answerer) {
    CurrentAnswerer() = std::move(answerer);
}

void MessageBox::Show(QWidget* parent, const BoxContent& content, const char* objectName) {
    if (const Answerer& answerer = CurrentAnswerer()) {
        answerer(content);
        return;
    }
    QMessageBox box(content.Icon, content.Title, content.Text, QMessageBox::Ok, parent);
    if (objectName != nullptr) {
        box.setObjectName(objectName);
    }
    box.exec();
}

} // namespace kestrin::ui
