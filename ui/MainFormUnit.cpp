#include "ui/MainFormUnit.h"

#include "engine/Messages.h"
#include "ui/Artwork.h"
#include "ui/DirectoryListBoxEx.h"
#include "ui/DriveComboBoxEx.h"
#include "ui/GlowButton.h"
#include "ui/MessageBox.h"
#include "ui/SmoothPanel.h"
#include "ui/UncaughtErrors.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QScreen>
#include <QThread>

namespace kestrin::ui {
namespace {

QFont Tahoma(int pixels) {
    QFont font;
    font.setFamilies({"Tahoma", "DejaVu Sans", "Liberation Sans"});
    font.setPixelSize(pixels);
    return font;
}

template <typename Widget>
Widget* Place(Widget* widget, const char* name, int left, int top, int width, int height) {
    widget->setObjectName(name);
    widget->setGeometry(left, top, width, height);
    return widget;
}

} // namespace

TMainForm::TMainForm(RunSettings settings, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      FApplicationDir(QString::fromStdString(settings.ProgramFolder)),
      FMountTable(settings.MountTable), run_(*this, std::move(settings)) {
    setObjectName("MainForm");
    setWindowTitle(kWindowCaption);
    setFixedSize(537, 413);
    setFont(Tahoma(11));

    AdvSmoothPanel1 = Place(new TAdvSmoothPanel(this), "AdvSmoothPanel1", 20, 10, 497, 383);
    AdvReflectionImage1 =
        Place(new TAdvReflectionImage(AdvSmoothPanel1), "AdvReflectionImage1", 423, 10, 64, 253);
    AdvReflectionImage1->SetPicture(FolderWithPage(64));

    Label1 = Place(new QLabel(messages::kStatusIdle, AdvSmoothPanel1), "Label1", 24, 10, 377, 40);
    Label1->setFont(Tahoma(16));
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1->setWordWrap(true);

    DriveComboBoxEx1 = Place(new TDriveComboBoxEx(FMountTable, AdvSmoothPanel1), "DriveComboBoxEx1",
                             24, 56, 377, 22);
    DirectoryListBoxEx1 = Place(new TDirectoryListBoxEx(FMountTable, AdvSmoothPanel1),
                                "DirectoryListBoxEx1", 24, 84, 377, 197);
    DriveComboBoxEx1->SetDirList(DirectoryListBoxEx1);

    AdvGlowButton1 = Place(new TAdvGlowButton(AdvSmoothPanel1), "AdvGlowButton1", 80, 294, 150, 41);
    AdvGlowButton1->setText("Cancel");
    AdvGlowButton1->SetPictures(CrossPicture(true), CrossPicture(false));
    AdvGlowButton2 =
        Place(new TAdvGlowButton(AdvSmoothPanel1), "AdvGlowButton2", 251, 294, 150, 41);
    AdvGlowButton2->setText("Anonymise");
    AdvGlowButton2->SetPictures(PeoplePicture(true), PeoplePicture(false));
    for (TAdvGlowButton* button : {AdvGlowButton1, AdvGlowButton2}) {
        button->setFont(Tahoma(13));
    }
    connect(AdvGlowButton1, &QAbstractButton::clicked, this,
            [this] { RunHandler([this] { AdvGlowButton1Click(); }); });
    connect(AdvGlowButton2, &QAbstractButton::clicked, this,
            [this] { RunHandler([this] { AdvGlowButton2Click(); }); });

    AdvProgress1 = Place(new QProgressBar(AdvSmoothPanel1), "AdvProgress1", 20, 348, 457, 25);
    AdvProgress1->setRange(0, 100);
    AdvProgress1->setValue(0);
    AdvProgress1->setTextVisible(false);
    AdvProgress1->setFocusPolicy(Qt::NoFocus);

    setTabOrder(DirectoryListBoxEx1, DriveComboBoxEx1);
    FormCreate();
    CentreOnDesktop();
}

TMainForm::~TMainForm() {
    FormDestroy();
}

void TMainForm::FormCreate() {
    if (!FApplicationDir.endsWith('/')) {
        FApplicationDir += '/';
    }
    RunHandler([this] { DirectoryListBoxEx1->SetDirectory(FApplicationDir); });
    DirectoryListBoxEx1->setFocus();
}

void TMainForm::CentreOnDesktop() {
    QRect desktop;
    for (const QScreen* screen : QGuiApplication::screens()) {
        desktop = desktop.united(screen->geometry());
    }
    const QSize frame = frameSize().isValid() ? frameSize() : size();
    const int left = desktop.left() + desktop.width() / 2 - frame.width() / 2;
    const int top = desktop.top() + desktop.height() / 2 - frame.height() / 2;
    move(std::max(left, desktop.left()), std::max(top, desktop.top()));
}

void TMainForm::AdvGlowButton1Click() {
    close();
}

void TMainForm::AdvGlowButton2Click() {
    try {
        run_.Execute();
    } catch (...) {
        if (closeRequested_ && !run_.Running()) {
            QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        }
        throw;
    }
    if (closeRequested_ && !run_.Running()) {
        close();
    }
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // A close during a run waits until the run's handler has returned.
    if (run_.Running()) {
        closeRequested_ = true;
        event->ignore();
        return;
    }
    event->accept();
}

std::string TMainForm::CurrentFolder() {
    return DirectoryListBoxEx1->Directory().toStdString();
}

void TMainForm::SetStatusText(const std::string& text) {
    Label1->setText(QString::fromStdString(text));
}

void TMainForm::SetProgressMaximum(int maximum) {
    AdvProgress1->setMaximum(maximum);
}

void TMainForm::SetProgressPosition(int position) {
    AdvProgress1->setValue(position);
}

void TMainForm::SetControlsEnabled(bool enabled) {
    DirectoryListBoxEx1->setEnabled(enabled);
    AdvGlowButton1->setEnabled(enabled);
    AdvGlowButton2->setEnabled(enabled);
}

void TMainForm::SetBusyCursor(bool busy) {
    if (busy) {
        if (QApplication::overrideCursor() == nullptr) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
        }
        return;
    }
    while (QApplication::overrideCursor() != nullptr) {
        QApplication::restoreOverrideCursor();
    }
}

void TMainForm::ProcessPendingEvents() {
    QCoreApplication::processEvents();
}

void TMainForm::ShowMessage(MessageKind kind, const std::string& text) {
    const QMessageBox::Icon icon = kind == MessageKind::Error     ? QMessageBox::Critical
                                   : kind == MessageKind::Warning ? QMessageBox::Warning
                                                                  : QMessageBox::Information;
    const char* title = kind == MessageKind::Error     ? "Error"
                        : kind == MessageKind::Warning ? "Warning"
                                                       : "Information";
    MessageBox::Show(this, {icon, title, QString::fromStdString(text)});
}

void TMainForm::Pause(int milliseconds) {
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

} // namespace kestrin::ui
