#pragma once

#include <string>

namespace kestrin {

// The folder of the running executable, ending in a delimiter.
std::string ProgramFolder();

// Where the embedded database server library lies under the program folder.
inline constexpr const char* kServerLibrary = "bin/libfbembed.so";

} // namespace kestrin
