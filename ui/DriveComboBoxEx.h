#pragma once

#include <QComboBox>

#include <string>

namespace kestrin::ui {

class TDirectoryListBoxEx;

// The file-system roots, linked to a folder list: choosing one opens it in the list, and the
// list's folder selects its root here.
class TDriveComboBoxEx : public QComboBox {
    Q_OBJECT
public:
    // The mount table tells the file-system roots (a test hands in its own).
    explicit TDriveComboBoxEx(std::string mountTable, QWidget* parent = nullptr);

    void SetDirList(TDirectoryListBoxEx* list);
    void SelectRootOf(const QString& directory);
    QString SelectedRoot() const { return currentData().toString(); }

private:
    void Fill();

    TDirectoryListBoxEx* DirList = nullptr;
    std::string mountTable_;
};

} // namespace kestrin::ui
