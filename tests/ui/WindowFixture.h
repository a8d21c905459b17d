#pragma once

#include "engine/AnonymisationRun.h"
#include "tests/common/TempFolder.h"
#include "tests/ui/ModalBoxes.h"
#include "ui/MainFormUnit.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <memory>

namespace kestrin::testing {

// The real main window, with the program folder of the build, under the offscreen platform.
class WindowFixture : public ::testing::Test {
public:
    void SetUp() override {
        WriteBytes(folder_ / "mounts", "/dev/vda1 / ext4 rw 0 0\n");
        RunSettings settings;
        settings.ProgramFolder = KESTRIN_APP_DIR;
        settings.MountTable = folder_ / "mounts";
        form_ = std::make_unique<ui::TMainForm>(settings);
        form_->show();
        QApplication::processEvents();
    }

    void TearDown() override {
        form_.reset();
        QApplication::processEvents();
        EXPECT_TRUE(NoWindowsLeft()) << "a window was left open";
    }

    template <typename T> T* Find(const char* name) {
        T* widget = form_->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    TempFolder folder_;
    std::unique_ptr<ui::TMainForm> form_;
};

} // namespace kestrin::testing
