#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace kestrin {

// Writes a file that must not exist yet (never one that does, nor through a link) and puts it on
// disk. Empty on success, else the system's reason; a file it could not finish is removed.
std::string WriteNewFile(const std::string& path, std::string_view text, mode_t mode);

} // namespace kestrin
