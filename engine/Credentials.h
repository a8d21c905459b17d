#pragma once

#include <string>
#include <vector>

namespace kestrin {

// The user name and password every archive's database answers to.
inline constexpr const char* kDatabaseUser = "Wexlan";
inline constexpr const char* kDatabasePassword = "Gravlex";

inline std::vector<std::string> DatabaseParams() {
    return {std::string("isc_dpb_user_name=") + kDatabaseUser,
            std::string("isc_dpb_password=") + kDatabasePassword};
}

} // namespace kestrin
