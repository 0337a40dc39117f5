#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "settings/regular_file.h"

namespace kestrel {
namespace {

std::int64_t Nanoseconds(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

}  // namespace

struct RegularFile::Handle {
    explicit Handle(int descriptor) : fd(descriptor) {}
    ~Handle() { close(fd); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    int fd;
};

std::optional<RegularFile> RegularFile::Open(const std::filesystem::path& path,
                                             std::uint64_t maxSize) {
    // Without O_NONBLOCK, opening a named pipe would wait for a writer that may never come.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    auto handle = std::make_unique<Handle>(fd);
    // What was opened is checked, not the path, which may change in between.
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
        static_cast<std::uint64_t>(status.st_size) > maxSize) {
        return std::nullopt;
    }
    const FileIdentity identity{static_cast<std::uint64_t>(status.st_dev),
                                static_cast<std::uint64_t>(status.st_ino),
                                static_cast<std::uint64_t>(status.st_size),
                                Nanoseconds(status.st_mtim), Nanoseconds(status.st_ctim)};
    return RegularFile(std::move(handle), identity, maxSize);
}

std::size_t RegularFile::Read(std::span<char> buffer) {
    const std::size_t wanted =
        static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), m_left));
    for (;;) {
        const ssize_t got = read(m_handle->fd, buffer.data(), wanted);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return 0;
        }
        m_left -= static_cast<std::uint64_t>(got);
        return static_cast<std::size_t>(got);
    }
}

RegularFile::RegularFile(std::unique_ptr<Handle> handle, FileIdentity identity,
                         std::uint64_t maxSize)
    : m_handle(std::move(handle)), m_identity(identity), m_left(maxSize) {}

RegularFile::~RegularFile() = default;
RegularFile::RegularFile(RegularFile&&) noexcept = default;
RegularFile& RegularFile::operator=(RegularFile&&) noexcept = default;

}  // namespace kestrel
