#pragma once

#include <string>

namespace kestrin::firebird {

// Creates an empty database file in SQL dialect 1, for the sample-archive tool and test fixtures.
void CreateDatabase(const std::string& libraryName, const std::string& path,
                    const std::string& user, const std::string& password, int pageSize = 8192);

} // namespace kestrin::firebird
