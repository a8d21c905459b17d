#pragma once

#include <unistd.h>

#include <utility>

namespace kestrin {

// Owns one file descriptor; closing it by hand reports the close's own result.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            UniqueFd(std::move(other)).swap(*this);
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    // Returns 0 or -1 with errno set, like close(2).
    int Close() { return fd_ >= 0 ? ::close(std::exchange(fd_, -1)) : 0; }
    // Hands the descriptor to a new owner.
    [[nodiscard]] int Release() { return std::exchange(fd_, -1); }

private:
    void swap(UniqueFd& other) noexcept { std::swap(fd_, other.fd_); }
    int fd_ = -1;
};

} // namespace kestrin
