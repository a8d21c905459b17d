#include "engine/TestDataFolders.h"

#include "engine/TestDataFile.h"
#include "support/CaseFold.h"
#include "support/Text1252.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace kestrin {
namespace {

bool IsDelimiter(char c) {
    return c == '\\' || c == '/';
}

// The elements of a stored name inside its sub-folder; none when it is absolute, carries a drive
// colon or climbs out.
std::optional<std::vector<std::string>> ElementsOf(const std::string& storedName) {
    if (storedName.empty() || IsDelimiter(storedName.front()) ||
        storedName.find(':') != std::string::npos) {
        return std::nullopt;
    }
    std::vector<std::string> elements;
    std::string element;
    for (std::size_t i = 0; i <= storedName.size(); ++i) {
        if (i < storedName.size() && !IsDelimiter(storedName[i])) {
            element.push_back(storedName[i]);
            continue;
        }
        if (element == "..") {
            if (elements.empty()) {
                return std::nullopt;
            }
            elements.pop_back();
        } else if (!element.empty() && element != ".") {
            elements.push_back(element);
        }
        element.clear();
    }
    if (elements.empty()) {
        return std::nullopt;
    }
    return elements;
}

} // namespace

struct TestDataFolders::Folder {
    UniqueFd Fd;
    std::string Path; // ends in '/'
    bool Listed = false;
    // Folded name to the smallest entry name, so the choice does not depend on directory order:
    // by the entry's bytes, and by its Windows-1252 form where the entry is UTF-8.
    std::unordered_map<std::string, std::string> ByBytes;
    std::unordered_map<std::string, std::string> ByUtf8;
    std::map<std::string, std::unique_ptr<Folder>> Children;

    bool Exists(const std::string& name) const {
        struct stat info {};
        return fstatat(Fd.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
    }

    void List() {
        Listed = true;
        UniqueFd copy(openat(Fd.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        DIR* dir = copy ? fdopendir(copy.get()) : nullptr;
        if (dir == nullptr) {
            return;
        }
        static_cast<void>(copy.Release()); // the directory stream owns it now
        const std::unique_ptr<DIR, int (*)(DIR*)> closer(dir, closedir);
        const auto keep = [](std::unordered_map<std::string, std::string>& map, std::string key,
                             const std::string& name) {
            auto [entry, added] = map.emplace(std::move(key), name);
            if (!added && name < entry->second) {
                entry->second = name;
            }
        };
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name == "." || name == "..") {
                continue;
            }
            keep(ByBytes, FoldCase1252(name), name);
            if (const std::optional<std::string> bytes = Utf8To1252(name)) {
                keep(ByUtf8, FoldCase1252(*bytes), name);
            }
        }
    }

    // The stored bytes, then their UTF-8 form, each exactly and then without regard to case.
    std::optional<std::string> Entry(const std::string& stored) {
        if (Exists(stored)) {
            return stored;
        }
        const std::string folded = FoldCase1252(stored);
        if (!Listed) {
            List();
        }
        if (const auto found = ByBytes.find(folded); found != ByBytes.end()) {
            return found->second;
        }
        const std::string utf8 = ToUtf8(FromCodePage1252(stored));
        if (utf8 != stored && Exists(utf8)) {
            return utf8;
        }
        if (const auto found = ByUtf8.find(folded); found != ByUtf8.end()) {
            return found->second;
        }
        return std::nullopt;
    }
};

TestDataFolders::TestDataFolders(std::string copyFolder)
    : copyFolder_(std::move(copyFolder)), root_(std::make_unique<Folder>()) {
    root_->Fd =
        UniqueFd(open(copyFolder_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    root_->Path = copyFolder_;
    if (!root_->Fd) {
        throw EInOutError("Cannot open the copy folder " + copyFolder_ + ": " +
                          std::strerror(errno));
    }
}

TestDataFolders::~TestDataFolders() = default;

TestDataFolders::Folder* TestDataFolders::Child(Folder& parent, const std::string& storedName,
                                                FileSkip& skip) {
    if (const auto known = parent.Children.find(storedName); known != parent.Children.end()) {
        skip = known->second ? FileSkip::None : FileSkip::Missing;
        return known->second.get();
    }
    std::unique_ptr<Folder>& child = parent.Children[storedName];
    skip = FileSkip::Missing;
    const std::optional<std::string> name = parent.Entry(storedName);
    struct stat info {};
    if (!name || fstatat(parent.Fd.get(), name->c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        return nullptr;
    }
    if (S_ISLNK(info.st_mode)) {
        skip = FileSkip::LinkOnTheWay;
        parent.Children.erase(storedName); // not cached: a later look-up says the same again
        return nullptr;
    }
    if (!S_ISDIR(info.st_mode)) {
        return nullptr;
    }
    UniqueFd fd(
        openat(parent.Fd.get(), name->c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd) {
        throw EInOutError("Cannot open the folder " + parent.Path + *name + ": " +
                          std::strerror(errno));
    }
    child = std::make_unique<Folder>();
    child->Fd = std::move(fd);
    child->Path = parent.Path + *name + "/";
    skip = FileSkip::None;
    return child.get();
}

TestDataFolders::Found TestDataFolders::Open(const std::string& subFolder,
                                             const std::string& storedName) {
    Found found;
    const std::optional<std::vector<std::string>> elements = ElementsOf(storedName);
    if (!elements) {
        found.Skip = FileSkip::LeavesFolder;
        return found;
    }
    Folder* folder = Child(*root_, subFolder, found.Skip);
    for (std::size_t i = 0; folder != nullptr && i + 1 < elements->size(); ++i) {
        folder = Child(*folder, (*elements)[i], found.Skip);
    }
    if (folder == nullptr) {
        return found;
    }
    // Most names are there as stored: one call opens them; the look-up serves the others.
    std::optional<std::string> name = elements->back();
    found.File = OpenFile(*folder, *name);
    if (!found.File && errno == ENOENT) {
        name = folder->Entry(*name);
        found.File = name ? OpenFile(*folder, *name) : UniqueFd();
    }
    const int error = errno;
    found.Path = folder->Path + name.value_or(elements->back());
    if (!found.File) {
        if (!name || error == ENOENT || error == EISDIR) {
            found.Skip = FileSkip::Missing; // a folder does not count
            return found;
        }
        if (error == ELOOP) {
            found.Skip = FileSkip::LinkOnTheWay;
            return found;
        }
        throw EInOutError("Cannot open test data file " + found.Path + ": " + std::strerror(error));
    }
    if (fstat(found.File.get(), &found.Info) != 0) {
        throw EInOutError("Cannot measure test data file " + found.Path + ": " +
                          std::strerror(errno));
    }
    found.Skip = S_ISREG(found.Info.st_mode) ? FileSkip::None : FileSkip::Missing;
    return found;
}

UniqueFd TestDataFolders::OpenFile(const Folder& folder, const std::string& name) {
    return UniqueFd(
        openat(folder.Fd.get(), name.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
}

} // namespace kestrin
