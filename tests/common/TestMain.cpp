#include "firebird/EngineShutdown.h"
#include "firebird/ProcessSetup.h"

#include <gtest/gtest.h>

// The process as each program's entry prepares it.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    kestrin::firebird::PrepareProcessForEngine();
    const kestrin::firebird::EngineShutdown shutdown;
    return RUN_ALL_TESTS();
}
