#pragma once

#include "tests/common/Downloads.h"

#include <optional>
#include <string>

namespace kestrin::testing {

// Where a row's test data file lies in an archive folder, found by the tests' own reading of the
// clinic software's rule (not the anonymiser's): none when the row names no file that is there.
std::optional<std::string> TestDataFileOf(const DownloadRow& row, const std::string& folder);

// The identity fields of a test data file's patient block, by the sample tool's table.
struct BlockIdentity {
    std::string Name; // the bytes before the field's first zero
    std::string Id;
};
std::optional<BlockIdentity> ReadBlockIdentity(const std::string& path);

// A file's bytes as the rewrite must leave them for this generated identity.
std::string ExpectedRewrite(std::string bytes, const std::string& name, const std::string& id);

} // namespace kestrin::testing
