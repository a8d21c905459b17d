#include "engine/Messages.h"
#include "support/FileSystem.h"
#include "tests/ui/WindowFixture.h"
#include "ui/DirectoryListBoxEx.h"
#include "ui/DriveComboBoxEx.h"
#include "ui/GlowButton.h"
#include "ui/SmoothPanel.h"

#include <QLabel>
#include <QProgressBar>
#include <QTest>

namespace kestrin {
namespace {

using ui::TAdvGlowButton;
using ui::TDirectoryListBoxEx;
using ui::TDriveComboBoxEx;

class MainWindowTest : public testing::WindowFixture {};

TEST_F(MainWindowTest, StartsIdleAtTheProgramFolder) {
    EXPECT_EQ(form_->windowTitle(), "Anonymise Kestrin Data");
    EXPECT_EQ(QApplication::applicationDisplayName(), "Kestrin Anonymise Database Application");
    EXPECT_EQ(QApplication::applicationVersion(), "1.0.0.0");
    EXPECT_EQ(Find<QLabel>("Label1")->text(), messages::kStatusIdle);
    EXPECT_TRUE(Find<TAdvGlowButton>("AdvGlowButton1")->isEnabled());
    EXPECT_TRUE(Find<TAdvGlowButton>("AdvGlowButton2")->isEnabled());
    EXPECT_EQ(Find<QProgressBar>("AdvProgress1")->value(), 0);
    EXPECT_EQ(Find<QProgressBar>("AdvProgress1")->maximum(), 100);

    auto* list = Find<TDirectoryListBoxEx>("DirectoryListBoxEx1");
    const QString programFolder = QString::fromStdString(ExcludeTrailingDelimiter(KESTRIN_APP_DIR));
    EXPECT_EQ(list->Directory(), programFolder);
    ASSERT_NE(list->currentItem(), nullptr);
    EXPECT_EQ(list->currentItem()->data(TDirectoryListBoxEx::kPathRole).toString(), programFolder);
    EXPECT_EQ(Find<TDriveComboBoxEx>("DriveComboBoxEx1")->SelectedRoot(),
              QStringLiteral("/")); // the only root of the test's mount table
    EXPECT_EQ(form_->CurrentFolder(), programFolder.toStdString());
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    EXPECT_EQ(QApplication::focusWidget(), list);
}

TEST_F(MainWindowTest, EveryElementAtItsPlaceInAFixedWindow) {
    EXPECT_EQ(form_->size(), QSize(537, 413));
    EXPECT_EQ(form_->minimumSize(), form_->maximumSize());
    EXPECT_FALSE(form_->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(form_->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form_->windowFlags() & Qt::WindowCloseButtonHint);
    struct Place {
        const char* name;
        QRect geometry;
    };
    const Place places[] = {
        {"AdvSmoothPanel1", {20, 10, 497, 383}},
        {"AdvReflectionImage1", {423, 10, 64, 253}},
        {"Label1", {24, 10, 377, 40}},
        {"DriveComboBoxEx1", {24, 56, 377, 22}},
        {"DirectoryListBoxEx1", {24, 84, 377, 197}},
        {"AdvGlowButton1", {80, 294, 150, 41}},
        {"AdvGlowButton2", {251, 294, 150, 41}},
        {"AdvProgress1", {20, 348, 457, 25}},
    };
    for (const Place& place : places) {
        auto* widget = Find<QWidget>(place.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->geometry(), place.geometry) << place.name;
    }
    EXPECT_EQ(Find<TAdvGlowButton>("AdvGlowButton1")->text(), "Cancel");
    EXPECT_EQ(Find<TAdvGlowButton>("AdvGlowButton2")->text(), "Anonymise");
    EXPECT_EQ(Find<QLabel>("Label1")->font().pixelSize(), 16);
    EXPECT_EQ(Find<TAdvGlowButton>("AdvGlowButton2")->font().pixelSize(), 13);
    EXPECT_EQ(form_->font().pixelSize(), 11);
}

TEST_F(MainWindowTest, TabMovesBetweenTheListAndTheDriveSelectorOnly) {
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    auto* list = Find<TDirectoryListBoxEx>("DirectoryListBoxEx1");
    auto* drives = Find<TDriveComboBoxEx>("DriveComboBoxEx1");
    std::vector<QWidget*> visited;
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(QApplication::focusWidget());
    }
    EXPECT_EQ(visited, (std::vector<QWidget*>{drives, list, drives, list}));
    const QString before = list->Directory();
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_TRUE(form_->isVisible());
    EXPECT_EQ(list->Directory(), before);
}

TEST_F(MainWindowTest, CancelClosesTheWindowAtOnce) {
    QTest::mouseClick(Find<TAdvGlowButton>("AdvGlowButton1"), Qt::LeftButton);
    EXPECT_FALSE(form_->isVisible());
}

TEST(ReflectionImage, FadesFromHalfOpacityOverAHundredRows) {
    QPixmap opaque(64, 64);
    opaque.fill(Qt::red);
    ui::TAdvReflectionImage image;
    image.SetPicture(opaque);
    const QImage& reflection = image.Reflection();
    ASSERT_EQ(reflection.height(), 64);
    for (const auto& [row, alpha] :
         {std::pair{0, 127}, std::pair{1, 126}, std::pair{50, 64}, std::pair{63, 47}}) {
        EXPECT_EQ(qAlpha(reflection.pixel(10, row)), alpha) << row;
        EXPECT_EQ(qRed(reflection.pixel(10, row)), 255);
    }
}

} // namespace
} // namespace kestrin
