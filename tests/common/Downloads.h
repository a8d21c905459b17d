#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kestrin::testing {

// One row of Downloads: each column's text, none for null.
using DownloadRow = std::map<std::string, std::optional<std::string>>;

// Every row of the archive database, by DOWNLOADID.
std::map<int, DownloadRow> ReadDownloads(const std::string& databasePath);

// The rows a query gives, each column as text (null as empty).
std::vector<std::vector<std::string>> QueryRows(const std::string& databasePath,
                                                const std::string& statement);

// Runs statements in one transaction each (fixtures that need another schema or a trigger).
void ExecuteStatements(const std::string& databasePath, const std::vector<std::string>& statements);

// Makes an archive database with just these statements after an empty create.
void CreateArchiveDatabase(const std::string& databasePath,
                           const std::vector<std::string>& statements);

} // namespace kestrin::testing
