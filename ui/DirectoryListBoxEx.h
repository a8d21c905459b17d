#pragma once

#include <QListWidget>
#include <QString>

#include <string>

namespace kestrin::ui {

// The folder list: the root, the path down to the current folder, and its visible sub-folders.
// A double-click or Enter opens a line; a single click only highlights it.
class TDirectoryListBoxEx : public QListWidget {
    Q_OBJECT
public:
    // The mount table tells the file-system roots (a test hands in its own).
    explicit TDirectoryListBoxEx(std::string mountTable, QWidget* parent = nullptr);

    // The folder open in the list, absolute, without a trailing delimiter except at the root.
    const QString& Directory() const { return directory_; }
    // Opens the folder; one that cannot be read raises an error and the list keeps its folder.
    void SetDirectory(const QString& path);
    // Switches to a file-system root; one that cannot be read empties the list, quietly.
    void ShowRoot(const QString& root);
    // The file-system root that holds the path.
    QString RootOf(const QString& path) const;

    static constexpr int kPathRole = Qt::UserRole;
    static constexpr int kLevelRole = Qt::UserRole + 1;

signals:
    void DirectoryChanged(const QString& directory);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OpenLine(QListWidgetItem* item);
    void Rebuild(const QString& directory, const QStringList& subFolders);

    std::string mountTable_;
    QString directory_;
};

} // namespace kestrin::ui
