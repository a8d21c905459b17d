#include "support/NewFile.h"

#include "support/UniqueFd.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kestrin {

std::string WriteNewFile(const std::string& path, std::string_view text, mode_t mode) {
    UniqueFd file(open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
    if (!file) {
        return std::strerror(errno);
    }
    bool written = true;
    for (std::size_t done = 0; written && done < text.size();) {
        const ssize_t n = write(file.get(), text.data() + done, text.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n == 0 || errno != EINTR) {
            errno = n == 0 ? ENOSPC : errno;
            written = false;
        }
    }
    if (!written || fsync(file.get()) != 0 || file.Close() != 0) {
        const std::string reason = std::strerror(errno);
        unlink(path.c_str()); // half a file would pass for a whole one
        return reason;
    }
    return {};
}

} // namespace kestrin
