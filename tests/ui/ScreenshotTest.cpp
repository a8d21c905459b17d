#include "tests/common/Archive.h"
#include "tests/ui/WindowFixture.h"
#include "ui/DirectoryListBoxEx.h"
#include "ui/GlowButton.h"

#include <QDir>
#include <QTest>

namespace kestrin {
namespace {

// Pictures of the idle and the busy window for a reviewer's eye, at the real size.
class ScreenshotTest : public testing::WindowFixture {};

TEST_F(ScreenshotTest, WritesTheIdleAndTheBusyWindow) {
    QDir().mkpath(KESTRIN_SCREENSHOTS);
    const QString idle = QString(KESTRIN_SCREENSHOTS) + "main-window.png";
    const QString busy = QString(KESTRIN_SCREENSHOTS) + "main-window-busy.png";
    QImage idleImage = form_->grab().toImage();
    ASSERT_TRUE(idleImage.save(idle));
    EXPECT_EQ(idleImage.size(), QSize(537, 413) * idleImage.devicePixelRatio());

    testing::MakeArchive(folder_ / "SampleArchive", 30, 3);
    Find<ui::TDirectoryListBoxEx>("DirectoryListBoxEx1")
        ->SetDirectory(QString::fromStdString(folder_ / "SampleArchive"));
    bool saved = false;
    testing::ModalBoxes boxes([&] { saved = form_->grab().save(busy); });
    QTest::mouseClick(Find<ui::TAdvGlowButton>("AdvGlowButton2"), Qt::LeftButton);
    ASSERT_TRUE(saved);

    // The files hold the two states: the same window, with another status text and a full bar.
    const QImage idleSaved(idle), busySaved(busy);
    ASSERT_EQ(idleSaved.size(), idleImage.size());
    ASSERT_EQ(busySaved.size(), idleImage.size());
    const qreal ratio = idleImage.devicePixelRatio();
    const auto differ = [&](QRect area) {
        const QRect scaled(area.topLeft() * ratio, area.size() * ratio);
        return idleSaved.copy(scaled) != busySaved.copy(scaled);
    };
    EXPECT_TRUE(differ({44, 20, 377, 40})) << "the status text did not change";
    EXPECT_TRUE(differ({40, 358, 457, 25})) << "the progress bar did not move";
    EXPECT_FALSE(differ({443, 20, 64, 253})) << "the artwork changed";
}

} // namespace
} // namespace kestrin
