#include "tests/common/TestDataOracle.h"

#include "tests/common/TempFolder.h"
#include "tools/PatientBlock.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>
#include <memory>

namespace kestrin::testing {
namespace {

std::string Upper(std::string text) {
    for (char& c : text) {
        const auto u = static_cast<unsigned char>(c);
        if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7)) {
            c = static_cast<char>(u - 0x20);
        }
    }
    return text;
}

// A UTF-8 name's Latin-1 letters as single bytes; enough for the names the tests store.
std::string Utf8ToLatin1(const std::string& name) {
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto u = static_cast<unsigned char>(name[i]);
        if ((u == 0xC2 || u == 0xC3) && i + 1 < name.size()) {
            out += static_cast<char>(((u & 0x03) << 6) | (name[++i] & 0x3F));
        } else {
            out += name[i];
        }
    }
    return out;
}

// Exactly, else without regard to case, the name on disk read as it is or as UTF-8.
std::optional<std::string> Entry(const std::string& folder, const std::string& stored) {
    struct stat info {};
    if (lstat((folder + stored).c_str(), &info) == 0) {
        return stored;
    }
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    for (const dirent* e = dir ? readdir(dir.get()) : nullptr; e != nullptr;
         e = readdir(dir.get())) {
        if (Upper(e->d_name) == Upper(stored) || Upper(Utf8ToLatin1(e->d_name)) == Upper(stored)) {
            return std::string(e->d_name);
        }
    }
    return std::nullopt;
}

std::string Text(const DownloadRow& row, const char* column) {
    return row.at(column).value_or("");
}

} // namespace

std::optional<std::string> TestDataFileOf(const DownloadRow& row, const std::string& folder) {
    const std::string type = Text(row, "TESTTYPE");
    std::string sub, extension;
    if (type == "TEQ") {
        sub = "DTAfiles", extension = ".VekTE";
    } else if (type == "ABR") {
        sub = "ABRfiles", extension = ".VekABR";
    } else if (type == "DPG") {
        sub = "DPGfiles", extension = ".VekDPG";
    } else if (type == "DP") {
        sub = "DPGfiles", extension = Text(row, "TESTTYPESUB") == "2" ? ".VekDPZ" : ".VekDP";
    } else {
        return std::nullopt;
    }
    std::string stored = Text(row, "DTAFILENAME");
    const std::size_t dot = stored.rfind('.');
    const std::size_t slash = stored.find_last_of("\\/");
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        stored.erase(dot);
    }
    stored += extension;
    if (stored.find("..") != std::string::npos || stored.find(':') != std::string::npos) {
        return std::nullopt;
    }
    std::string path = folder;
    std::string element;
    for (const std::string& part : {sub + "\\", stored}) {
        for (std::size_t i = 0; i <= part.size(); ++i) {
            if (i < part.size() && part[i] != '\\' && part[i] != '/') {
                element += part[i];
                continue;
            }
            if (element.empty()) {
                continue;
            }
            const std::optional<std::string> found = Entry(path, element);
            if (!found) {
                return std::nullopt;
            }
            path += *found + (i < part.size() ? "/" : "");
            element.clear();
        }
    }
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) ? std::optional(path)
                                                                    : std::nullopt;
}

std::optional<BlockIdentity> ReadBlockIdentity(const std::string& path) {
    const std::string bytes = ReadBytes(path);
    if (bytes.size() < static_cast<std::size_t>(sample::kBlockOffset + sample::kBlockSize)) {
        return std::nullopt;
    }
    const auto field = [&](sample::BlockField f) {
        const std::string raw = bytes.substr(sample::kBlockOffset + f.Offset, f.Length);
        return raw.substr(0, raw.find('\0'));
    };
    return BlockIdentity{field(sample::kName), field(sample::kId)};
}

std::string ExpectedRewrite(std::string bytes, const std::string& name, const std::string& id) {
    if (bytes.size() < 2048) {
        return bytes;
    }
    char* block = bytes.data() + sample::kBlockOffset;
    for (const sample::BlockField f :
         {sample::kName, sample::kForename, sample::kId, sample::kCleared, sample::kMothersName}) {
        std::memset(block + f.Offset, 0, static_cast<std::size_t>(f.Length));
    }
    std::memcpy(block + sample::kName.Offset, name.data(), name.size());
    std::memcpy(block + sample::kId.Offset, id.data(), id.size());
    return bytes;
}

} // namespace kestrin::testing
