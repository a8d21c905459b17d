#pragma once

#include <stdexcept>
#include <string>

namespace kestrin::firebird {

// Everything the database layer reports; the text is Firebird's own.
class EDatabaseError : public std::runtime_error {
public:
    explicit EDatabaseError(const std::string& message, long sqlCode = 0)
        : std::runtime_error(message), sqlCode_(sqlCode) {}
    long SqlCode() const { return sqlCode_; }

private:
    long sqlCode_;
};

} // namespace kestrin::firebird
