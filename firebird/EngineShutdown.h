#pragma once

namespace kestrin::firebird {

// Stops the embedded engine's threads; each program's entry holds one, so that no engine thread
// outlives main on any way out (an error escaping included). Exit handlers do it once more.
class EngineShutdown {
public:
    EngineShutdown() = default;
    ~EngineShutdown();
    EngineShutdown(const EngineShutdown&) = delete;
    EngineShutdown& operator=(const EngineShutdown&) = delete;
};

void ShutDownEngines();

} // namespace kestrin::firebird
