#pragma once

#include "engine/AnonymisationRun.h"
#include "engine/RunHost.h"
#include "support/ProgramFolder.h"

#include <QWidget>

#include <memory>

class QLabel;
class QProgressBar;

namespace kestrin::ui {

class TAdvGlowButton;
class TAdvReflectionImage;
class TAdvSmoothPanel;
class TDirectoryListBoxEx;
class TDriveComboBoxEx;

inline constexpr const char* kApplicationTitle = "Kestrin Anonymise Database Application";
inline constexpr const char* kWindowCaption = "Anonymise Kestrin Data";

// The one main window: pick the archive folder, start the run, follow it.
class TMainForm : public QWidget, public RunHost {
    Q_OBJECT
public:
    explicit TMainForm(RunSettings settings = {ProgramFolder()}, QWidget* parent = nullptr);
    ~TMainForm() override;

    // The elements, under their names.
    TAdvSmoothPanel* AdvSmoothPanel1;
    TAdvReflectionImage* AdvReflectionImage1;
    QLabel* Label1;
    TAdvGlowButton* AdvGlowButton1;
    TAdvGlowButton* AdvGlowButton2;
    TDirectoryListBoxEx* DirectoryListBoxEx1;
    QProgressBar* AdvProgress1;
    TDriveComboBoxEx* DriveComboBoxEx1;

    bool Running() const { return run_.Running(); }
    const QString& ApplicationDir() const { return FApplicationDir; }

    // What the run asks of the window.
    std::string CurrentFolder() override;
    void SetStatusText(const std::string& text) override;
    void SetProgressMaximum(int maximum) override;
    void SetProgressPosition(int position) override;
    void SetControlsEnabled(bool enabled) override;
    void SetBusyCursor(bool busy) override;
    void ProcessPendingEvents() override;
    void ShowMessage(MessageKind kind, const std::string& text) override;
    void Pause(int milliseconds) override;

    void AdvGlowButton1Click();
    void AdvGlowButton2Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormDestroy() {}
    void CentreOnDesktop();

    QString FApplicationDir;
    std::string FMountTable;
    AnonymisationRun run_;
    bool closeRequested_ = false;
};

} // namespace kestrin::ui
