#include "support/ProgramFolder.h"

#include <filesystem>

namespace kestrin {

std::string ProgramFolder() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return "./";
    }
    std::string folder = executable.parent_path().string();
    return folder.ends_with('/') ? folder : folder + '/';
}

} // namespace kestrin
