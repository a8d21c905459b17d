#include "firebird/EngineShutdown.h"
#include "firebird/ProcessSetup.h"
#include "ui/KestrinApplication.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    kestrin::ui::KestrinApplication application(argc, argv);
    kestrin::firebird::PrepareProcessForEngine();
    const kestrin::firebird::EngineShutdown shutdown;
    return RUN_ALL_TESTS();
}
