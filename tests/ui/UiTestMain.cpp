#include "ui/KestrinApplication.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    kestrin::ui::KestrinApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
