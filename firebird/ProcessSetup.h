#pragma once

#include <string>

namespace kestrin::firebird {

// What the embedded engine needs of the process, set once by each program's entry before the
// engine is loaded: a private lock folder (Firebird's shared one would block other users) and
// UTF-8 as the code set of file names, which the engine converts paths through.
void PrepareProcessForEngine();

// True when the engine can open a file at this path in this process: valid UTF-8, and either
// ASCII or with the process's code set UTF-8.
bool EngineTakesPath(const std::string& path);

} // namespace kestrin::firebird
