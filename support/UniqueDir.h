#pragma once

#include <dirent.h>

#include <memory>

namespace kestrin {

struct DirectoryCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

// An open directory search, closed on every path.
using UniqueDir = std::unique_ptr<DIR, DirectoryCloser>;

} // namespace kestrin
