#pragma once

#include "tools/SampleArchive.h"

#include <map>
#include <string>

namespace kestrin::testing {

// The database client library of the built program folder.
std::string ClientLibrary();

// Makes a sample archive in the folder with the client library of the build.
SampleArchiveSummary MakeArchive(const std::string& folder, int patients, int testsPerPatient = 3,
                                 bool awkward = false, int fileSize = 4096);

// Every file under the folder with its content hash and mode, for before-and-after comparisons.
std::map<std::string, std::string> TreeFingerprint(const std::string& folder);

} // namespace kestrin::testing
