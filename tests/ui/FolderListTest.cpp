#include "tests/ui/WindowFixture.h"
#include "ui/DirectoryListBoxEx.h"
#include "ui/DriveComboBoxEx.h"
#include "ui/UncaughtErrors.h"

#include <QTest>

#include <filesystem>

namespace kestrin {
namespace {

using ui::TDirectoryListBoxEx;
namespace fs = std::filesystem;

class FolderListTest : public testing::WindowFixture {
public:
    void SetUp() override {
        WindowFixture::SetUp();
        for (const char* name : {"Tree/beta", "Tree/Alpha", "Tree/.hidden", "Tree/gamma/inner",
                                 "Tree/file-not-folder"}) {
            fs::create_directories(folder_ / name);
        }
        fs::remove(folder_ / "Tree/file-not-folder");
        testing::WriteBytes(folder_ / "Tree/file-not-folder", "x");
        list_ = Find<TDirectoryListBoxEx>("DirectoryListBoxEx1");
        list_->SetDirectory(QString::fromStdString(folder_ / "Tree"));
    }

    QStringList Lines() const {
        QStringList lines;
        for (int i = 0; i < list_->count(); ++i) {
            lines << QString(list_->item(i)->data(TDirectoryListBoxEx::kLevelRole).toInt(), ' ') +
                         list_->item(i)->text();
        }
        return lines;
    }

    QListWidgetItem* Line(const QString& text) const {
        const auto found = list_->findItems(text, Qt::MatchExactly);
        return found.isEmpty() ? nullptr : found.front();
    }

    QString Tree() const { return QString::fromStdString(folder_ / "Tree"); }

    // As a hand does it: a click, then the second press that makes it a double-click.
    void DoubleClick(QListWidgetItem* line) {
        const QPoint where = list_->visualItemRect(line).center();
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, where);
        QTest::mouseDClick(list_->viewport(), Qt::LeftButton, {}, where);
    }

    TDirectoryListBoxEx* list_ = nullptr;
};

TEST_F(FolderListTest, RootPathAndVisibleSubFoldersInOrder) {
    const QString root = QStringLiteral("/") /* the only root of the test's mount table */;
    QStringList expected{root};
    int level = 0;
    for (const QString& name : Tree().mid(root.size()).split('/', Qt::SkipEmptyParts)) {
        expected << QString(++level, ' ') + name;
    }
    for (const char* name : {"Alpha", "beta", "gamma"}) {
        expected << QString(level + 1, ' ') + name;
    }
    EXPECT_EQ(Lines(), expected);
    EXPECT_EQ(list_->currentItem()->data(TDirectoryListBoxEx::kPathRole).toString(), Tree());
}

TEST_F(FolderListTest, ASingleClickOnlyHighlights) {
    QListWidgetItem* beta = Line("beta");
    ASSERT_NE(beta, nullptr);
    QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, list_->visualItemRect(beta).center());
    EXPECT_EQ(list_->currentItem(), beta);
    EXPECT_EQ(list_->Directory(), Tree());
    EXPECT_EQ(form_->CurrentFolder(), Tree().toStdString()); // what a run would use
}

TEST_F(FolderListTest, DoubleClickAndEnterOpen) {
    QListWidgetItem* beta = Line("beta");
    ASSERT_NE(beta, nullptr);
    DoubleClick(beta);
    EXPECT_EQ(list_->Directory(), Tree() + "/beta");

    list_->SetDirectory(Tree());
    list_->setCurrentItem(Line("gamma"));
    QTest::keyClick(list_, Qt::Key_Return);
    EXPECT_EQ(list_->Directory(), Tree() + "/gamma");
    EXPECT_EQ(Line("inner")->data(TDirectoryListBoxEx::kLevelRole).toInt(),
              list_->currentItem()->data(TDirectoryListBoxEx::kLevelRole).toInt() + 1);

    // The first line opens the root, and the drive selector follows the list.
    DoubleClick(list_->item(0));
    EXPECT_EQ(list_->Directory(),
              QStringLiteral("/") /* the only root of the test's mount table */);
    EXPECT_EQ(Find<ui::TDriveComboBoxEx>("DriveComboBoxEx1")->SelectedRoot(), list_->Directory());
}

TEST_F(FolderListTest, AnUnreadableRootEmptiesTheListAndKeepsTheFolder) {
    list_->ShowRoot(QString::fromStdString(folder_ / "no-such-root"));
    EXPECT_EQ(list_->count(), 0);
    EXPECT_EQ(list_->Directory(), Tree());
    EXPECT_EQ(form_->CurrentFolder(), Tree().toStdString());
}

TEST_F(FolderListTest, AFolderRemovedMeanwhileIsReportedAndTheListKeepsItsFolder) {
    QListWidgetItem* beta = Line("beta");
    ASSERT_NE(beta, nullptr);
    fs::remove(folder_ / "Tree/beta");
    testing::ModalBoxes boxes;
    DoubleClick(beta);
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_TRUE(boxes.Seen()[0].Text.startsWith(QString(ui::kUncaughtErrorText) + "\n"))
        << boxes.Seen()[0].Text.toStdString();
    EXPECT_EQ(list_->Directory(), Tree());
}

} // namespace
} // namespace kestrin
