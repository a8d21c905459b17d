#include "cli/IdentityKeyFile.h"

#include "support/FileSystem.h"
#include "support/NewFile.h"
#include "support/Text1252.h"

#include <sys/stat.h>

#include <filesystem>
#include <string_view>

namespace kestrin {
namespace {

std::string CsvField(std::string text) {
    // A spreadsheet would run a field that starts like a formula; the quote keeps it text.
    if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string::npos) {
        text.insert(0, 1, '\'');
    }
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    }
    return quoted + "\"";
}

std::string Utf8Of(const std::string& stored) {
    return ToUtf8(FromCodePage1252(stored));
}

} // namespace

std::string KeyFileRefusal(const std::string& keyFile, const std::string& archiveFolder) {
    const std::filesystem::path key = std::filesystem::absolute(keyFile).lexically_normal();
    struct stat info {};
    if (lstat(key.c_str(), &info) == 0) {
        return "the key file " + key.string() + " already exists";
    }
    const std::string parent = RealPath(key.parent_path().string());
    if (parent.empty()) {
        return "the folder of the key file " + key.string() + " does not exist";
    }
    const std::string archive = RealPath(archiveFolder);
    if (archive.empty()) {
        return {}; // the run tells what is wrong with the archive folder
    }
    const std::string place = IncludeTrailingDelimiter(parent);
    if (LiesInside(place, archive) ||
        place.starts_with(ExcludeTrailingDelimiter(archive) + "_Anonymous_")) {
        return "the key file must not lie in the archive folder or in its anonymised copy";
    }
    return {};
}

std::string WriteIdentityKey(const std::string& keyFile,
                             const std::vector<IdentityKeyEntry>& entries) {
    std::string text = "Generated name,Generated ID,Original name,Original ID,Rows\r\n";
    for (const IdentityKeyEntry& entry : entries) {
        text += CsvField(entry.GeneratedName) + "," + CsvField(entry.GeneratedId) + "," +
                CsvField(Utf8Of(entry.OriginalName)) + "," + CsvField(Utf8Of(entry.OriginalId)) +
                "," + std::to_string(entry.Rows) + "\r\n";
    }
    return WriteNewFile(keyFile, text, 0600);
}

} // namespace kestrin
