#include "engine/Messages.h"
#include "tests/common/Archive.h"
#include "tests/ui/WindowFixture.h"
#include "ui/DirectoryListBoxEx.h"
#include "ui/DriveComboBoxEx.h"
#include "ui/GlowButton.h"

#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QTest>

#include <filesystem>

namespace kestrin {
namespace {

namespace fs = std::filesystem;
using ui::TAdvGlowButton;

class WindowRunTest : public testing::WindowFixture {
public:
    void OpenFolder(const std::string& folder) {
        Find<ui::TDirectoryListBoxEx>("DirectoryListBoxEx1")
            ->SetDirectory(QString::fromStdString(folder));
    }

    void ExpectIdle() {
        EXPECT_TRUE(Find<ui::TDirectoryListBoxEx>("DirectoryListBoxEx1")->isEnabled());
        EXPECT_TRUE(Find<TAdvGlowButton>("AdvGlowButton1")->isEnabled());
        EXPECT_TRUE(Find<TAdvGlowButton>("AdvGlowButton2")->isEnabled());
        EXPECT_EQ(Find<QProgressBar>("AdvProgress1")->value(), 0);
        EXPECT_EQ(Find<QLabel>("Label1")->text(), messages::kStatusIdle);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_FALSE(form_->Running());
    }
};

TEST_F(WindowRunTest, ARunShowsTheBusyStateAndEndsWithTheSuccessBox) {
    const auto summary = testing::MakeArchive(folder_ / "Clinic", 12, 2);
    OpenFolder(folder_ / "Clinic");
    int boxesShown = 0;
    testing::ModalBoxes boxes([&] {
        ++boxesShown;
        // Seen from inside the run, with the box over the busy window.
        EXPECT_FALSE(Find<ui::TDirectoryListBoxEx>("DirectoryListBoxEx1")->isEnabled());
        EXPECT_FALSE(Find<TAdvGlowButton>("AdvGlowButton1")->isEnabled());
        EXPECT_FALSE(Find<TAdvGlowButton>("AdvGlowButton2")->isEnabled());
        EXPECT_TRUE(Find<ui::TDriveComboBoxEx>("DriveComboBoxEx1")->isEnabled());
        EXPECT_EQ(Find<QLabel>("Label1")->text(), messages::kStatusAnonymising);
        EXPECT_EQ(Find<QProgressBar>("AdvProgress1")->value(), summary.Rows);
        EXPECT_EQ(Find<QProgressBar>("AdvProgress1")->maximum(), summary.Rows);
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        EXPECT_TRUE(form_->Running());
        form_->AdvGlowButton2Click(); // a second click during the run is turned away
    });
    QTest::mouseClick(Find<TAdvGlowButton>("AdvGlowButton2"), Qt::LeftButton);

    EXPECT_EQ(boxesShown, 1);
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].Title, "Information");
    EXPECT_EQ(boxes.Seen()[0].Text, messages::kSuccess);
    EXPECT_EQ(boxes.Seen()[0].Icon, QMessageBox::Information);
    ExpectIdle();
    int copies = 0;
    for (const auto& entry : fs::directory_iterator(folder_.Path())) {
        const std::string name = entry.path().filename().string();
        copies += entry.is_directory() && name.starts_with("Clinic_Anonymous_") &&
                  !name.ends_with("_incomplete");
    }
    EXPECT_EQ(copies, 1);
}

TEST_F(WindowRunTest, EachErrorBoxEndsIdle) {
    fs::create_directories(folder_ / "NoDatabase");
    fs::create_directories(folder_ / "Broken");
    testing::WriteBytes(folder_ / "Broken/LogData.FB", std::string(8192, 'x'));
    const std::pair<std::string, std::string> cases[] = {
        {"NoDatabase", messages::kNoDatabase},
        {"Broken", messages::kNoConnection},
    };
    for (const auto& [folder, message] : cases) {
        SCOPED_TRACE(folder);
        OpenFolder(folder_ / folder);
        testing::ModalBoxes boxes;
        QTest::mouseClick(Find<TAdvGlowButton>("AdvGlowButton2"), Qt::LeftButton);
        ASSERT_EQ(boxes.Seen().size(), 1u);
        EXPECT_EQ(boxes.Seen()[0].Title, "Error");
        EXPECT_EQ(boxes.Seen()[0].Icon, QMessageBox::Critical);
        EXPECT_TRUE(boxes.Seen()[0].Text.startsWith(QString::fromStdString(message)));
        ExpectIdle();
    }
}

TEST_F(WindowRunTest, ACopyThatStillIdentifiesPatientsEndsWithTheWarningBox) {
    testing::MakeArchive(folder_ / "Clinic", 4, 1, /*awkward=*/true);
    OpenFolder(folder_ / "Clinic");
    testing::ModalBoxes boxes;
    QTest::mouseClick(Find<TAdvGlowButton>("AdvGlowButton2"), Qt::LeftButton);
    ASSERT_EQ(boxes.Seen().size(), 1u);
    const testing::SeenBox& box = boxes.Seen()[0];
    EXPECT_EQ(box.Title, "Warning");
    EXPECT_EQ(box.Icon, QMessageBox::Warning);
    EXPECT_TRUE(box.Text.startsWith(messages::kWarningFound)) << box.Text.toStdString();
    EXPECT_TRUE(box.Text.contains("Test data files still holding a name or ID: "));
    EXPECT_TRUE(box.Text.contains(QString(messages::kReport) +
                                  QString::fromStdString(folder_ / "Clinic_Anonymous_")))
        << box.Text.toStdString();
    ExpectIdle();
}

TEST_F(WindowRunTest, ACloseDuringARunTakesEffectWhenTheRunHasEnded) {
    testing::MakeArchive(folder_ / "Clinic", 3, 1);
    OpenFolder(folder_ / "Clinic");
    testing::ModalBoxes boxes([&] {
        form_->close();
        EXPECT_TRUE(form_->isVisible()) << "closed in the middle of the run";
    });
    QTest::mouseClick(Find<TAdvGlowButton>("AdvGlowButton2"), Qt::LeftButton);
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_FALSE(form_->isVisible());
}

} // namespace
} // namespace kestrin
