#include "firebird/ProcessSetup.h"

#include "firebird/DatabaseError.h"
#include "support/Text1252.h"

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

} // namespace

void PrepareProcessForEngine() {
    EnsurePrivateLockFolder();
    // Only the character type: dates, numbers and messages keep the user's settings.
    std::setlocale(LC_CTYPE, "C.UTF-8");
}

bool EngineTakesPath(const std::string& path) {
    const bool ascii = std::all_of(path.begin(), path.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    const bool validUtf8 = ToUtf8(FromUtf8(path)) == path;
    return validUtf8 && (ascii || std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0);
}

} // namespace kestrin::firebird
