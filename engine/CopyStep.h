#pragma once

#include "engine/CopyFolders.h"

#include <functional>
#include <string>

namespace kestrin {

// Makes the unfinished copy folder, which must be new, and copies the archive into it. Empty on
// success; else the error box's text. A copy that failed holds nothing but the archive's own
// content, so it is removed, which also frees a full disk.
std::string CopyArchive(const CopyFolders& folders, const std::function<void()>& afterEachFile);

} // namespace kestrin
