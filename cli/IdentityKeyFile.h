#pragma once

#include "engine/PatientIdentity.h"

#include <string>
#include <vector>

namespace kestrin {

// Why the key file cannot go where it was asked for: it exists already, its folder is missing, or
// it would lie in the archive folder or where its copy goes. Empty when it can.
std::string KeyFileRefusal(const std::string& keyFile, const std::string& archiveFolder);

// Writes the re-identification key as CSV (RFC 4180, UTF-8) into a new file of mode 0600; an
// existing file is never replaced. Empty on success, else the reason.
std::string WriteIdentityKey(const std::string& keyFile,
                             const std::vector<IdentityKeyEntry>& entries);

} // namespace kestrin
