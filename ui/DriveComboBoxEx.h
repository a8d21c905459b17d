#pragma once

#include <QComboBox>

namespace kestrin::ui {

class TDirectoryListBoxEx;

// The file-system roots, linked to a folder list: choosing one opens it in the list, and the
// list's folder selects its root here.
class TDriveComboBoxEx : public QComboBox {
    Q_OBJECT
public:
    explicit TDriveComboBoxEx(QWidget* parent = nullptr);

    void SetDirList(TDirectoryListBoxEx* list);
    void SelectRootOf(const QString& directory);
    QString SelectedRoot() const { return currentData().toString(); }

private:
    void Fill();

    TDirectoryListBoxEx* DirList = nullptr;
};

} // namespace kestrin::ui
