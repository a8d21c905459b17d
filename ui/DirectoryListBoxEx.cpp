#include "ui/DirectoryListBoxEx.h"

#include "support/MountTable.h"
#include "ui/UncaughtErrors.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>
#include <optional>
#include <stdexcept>

namespace kestrin::ui {
namespace {

// Indents each line 4 pixels per level of depth.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem indented = option;
        indented.rect.setLeft(option.rect.left() +
                              4 * index.data(TDirectoryListBoxEx::kLevelRole).toInt());
        QStyledItemDelegate::paint(painter, indented, index);
    }
};

QString Normalised(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// The visible sub-folders, by name without regard to letter case; none when unreadable.
std::optional<QStringList> SubFolders(const QString& directory) {
    QDir dir(directory);
    if (!dir.isReadable()) {
        return std::nullopt;
    }
    QStringList names = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
    names.removeIf([](const QString& name) { return name.startsWith('.'); });
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return names;
}

} // namespace

TDirectoryListBoxEx::TDirectoryListBoxEx(std::string mountTable, QWidget* parent)
    : QListWidget(parent), mountTable_(std::move(mountTable)) {
    setItemDelegate(new IndentDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { RunHandler([&] { OpenLine(item); }); });
}

QString TDirectoryListBoxEx::RootOf(const QString& path) const {
    const auto roots = FileSystemRoots(ReadMountTable(mountTable_));
    const MountEntry* mount = MountOf(path.toStdString(), roots);
    return mount != nullptr ? QString::fromStdString(mount->MountPoint) : QStringLiteral("/");
}

void TDirectoryListBoxEx::SetDirectory(const QString& path) {
    const QString directory = Normalised(path);
    if (directory == directory_) {
        return;
    }
    const std::optional<QStringList> subFolders =
        QFileInfo(directory).isDir() ? SubFolders(directory) : std::nullopt;
    if (!subFolders) {
        throw std::runtime_error("Cannot open the folder " + directory.toStdString());
    }
    Rebuild(directory, *subFolders);
    emit DirectoryChanged(directory_);
}

void TDirectoryListBoxEx::ShowRoot(const QString& root) {
    if (!QFileInfo(root).isDir() || !SubFolders(root)) {
        clear(); // the folder stays what it was
        return;
    }
    SetDirectory(root);
}

void TDirectoryListBoxEx::Rebuild(const QString& directory, const QStringList& subFolders) {
    directory_ = directory;
    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QString root = RootOf(directory);
    auto add = [&](const QString& text, const QString& path, int level, const QIcon& icon) {
        auto* item = new QListWidgetItem(icon, text, this);
        item->setData(kPathRole, path);
        item->setData(kLevelRole, level);
        return item;
    };
    add(root, root, 0, open);
    QListWidgetItem* current = item(0);
    const QString below = directory.mid(root.size());
    QString path = root;
    int level = 0;
    for (const QString& name : below.split('/', Qt::SkipEmptyParts)) {
        path = path.endsWith('/') ? path + name : path + '/' + name;
        current = add(name, path, ++level, open);
    }
    for (const QString& name : subFolders) {
        add(name, path.endsWith('/') ? path + name : path + '/' + name, level + 1, closed);
    }
    setCurrentItem(current);
}

void TDirectoryListBoxEx::OpenLine(QListWidgetItem* line) {
    if (line != nullptr) {
        SetDirectory(line->data(kPathRole).toString());
    }
}

void TDirectoryListBoxEx::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        RunHandler([&] { OpenLine(currentItem()); });
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

} // namespace kestrin::ui
