#include "ui/DriveComboBoxEx.h"

#include "support/FileSystem.h"
#include "support/MountTable.h"
#include "ui/DirectoryListBoxEx.h"
#include "ui/UncaughtErrors.h"

#include <QDir>
#include <QFileInfo>
#include <QStyle>

namespace kestrin::ui {
namespace {

// Volume labels as the system publishes them, by the device they name.
QString LabelOf(const QString& source) {
    const QString device = QFileInfo(source).canonicalFilePath();
    if (device.isEmpty()) {
        return {};
    }
    const QDir labels("/dev/disk/by-label");
    for (const QFileInfo& link :
         labels.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        if (link.canonicalFilePath() == device) {
            // Names there escape blanks and slashes as \x20 and \x2f.
            QString label = link.fileName();
            return label.replace("\\x20", " ").replace("\\x2f", "/");
        }
    }
    return {};
}

} // namespace

TDriveComboBoxEx::TDriveComboBoxEx(std::string mountTable, QWidget* parent)
    : QComboBox(parent), mountTable_(std::move(mountTable)) {
    Fill();
    connect(this, &QComboBox::activated, this, [this](int index) {
        RunHandler([&] {
            if (DirList != nullptr) {
                DirList->ShowRoot(itemData(index).toString());
            }
        });
    });
}

void TDriveComboBoxEx::Fill() {
    const QIcon drive = style()->standardIcon(QStyle::SP_DriveHDIcon);
    const QIcon network = style()->standardIcon(QStyle::SP_DriveNetIcon);
    for (const MountEntry& root : FileSystemRoots(ReadMountTable(mountTable_))) {
        if (!DirectoryExists(root.MountPoint)) {
            continue; // a file mounted over a file is no root
        }
        const bool remote = IsNetworkFileSystemType(root.Type);
        const QString point = QString::fromStdString(root.MountPoint);
        QString description = remote ? QString::fromStdString(root.Source)
                                     : LabelOf(QString::fromStdString(root.Source));
        if (!remote && !description.isEmpty()) {
            description = '[' + description + ']';
        }
        addItem(remote ? network : drive, description.isEmpty() ? point : point + ' ' + description,
                point);
    }
}

void TDriveComboBoxEx::SetDirList(TDirectoryListBoxEx* list) {
    DirList = list;
    connect(list, &TDirectoryListBoxEx::DirectoryChanged, this, &TDriveComboBoxEx::SelectRootOf);
}

void TDriveComboBoxEx::SelectRootOf(const QString& directory) {
    const QString root = DirList != nullptr ? DirList->RootOf(directory) : QStringLiteral("/");
    int index = findData(root);
    if (index < 0) {
        addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), root, root);
        index = count() - 1;
    }
    setCurrentIndex(index);
}

} // namespace kestrin::ui
