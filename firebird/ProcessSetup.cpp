#include "firebird/ProcessSetup.h"

#include "firebird/DatabaseError.h"

#include <langinfo.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <cstring>

namespace kestrin::firebird {
namespace {

bool IsPrivateFolder(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid() &&
           (info.st_mode & 077) == 0;
}

void EnsurePrivateLockFolder() {
    if (std::getenv("FIREBIRD_LOCK") != nullptr) {
        return;
    }
    std::string folder = "/tmp/kestrin-firebird-" + std::to_string(geteuid());
    mkdir(folder.c_str(), 0700);
    if (!IsPrivateFolder(folder)) {
        // Someone else holds that name: take a fresh one.
        std::string pattern = "/tmp/kestrin-firebird-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            throw EDatabaseError("Cannot create a private Firebird lock folder");
        }
        folder = pattern;
    }
    setenv("FIREBIRD_LOCK", folder.c_str(), 0);
}

bool IsValidUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int extra = lead < 0x80                      ? 0
                          : (lead >= 0xC2 && lead <= 0xDF) ? 1
                          : (lead >= 0xE0 && lead <= 0xEF) ? 2
                          : (lead >= 0xF0 && lead <= 0xF4) ? 3
                                                           : -1;
        if (extra < 0 || i + static_cast<std::size_t>(extra) > text.size() - 1) {
            return false;
        }
        for (int k = 1; k <= extra; ++k) {
            if ((static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) & 0xC0) !=
                0x80) {
                return false;
            }
        }
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

} // namespace

void PrepareProcessForEngine() {
    EnsurePrivateLockFolder();
    // Only the character type: dates, numbers and messages keep the user's settings.
    std::setlocale(LC_CTYPE, "C.UTF-8");
}

bool EngineTakesPath(const std::string& path) {
    const bool ascii = std::all_of(path.begin(), path.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return IsValidUtf8(path) && (ascii || std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0);
}

} // namespace kestrin::firebird
