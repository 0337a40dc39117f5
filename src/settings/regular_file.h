#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>

namespace kestrel {

// What tells one version of a file from another without reading it: an edit, or a new file put in
// its place, changes at least one of these.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t fileNumber = 0;
    std::uint64_t size = 0;
    std::int64_t modified = 0;
    std::int64_t changed = 0;

    bool operator==(const FileIdentity&) const = default;
};

// A regular file open for reading. Anything else at the path (a directory, a device, a pipe, a
// socket) cannot be opened, so that reading it can neither block nor go on for ever; nor can a file
// larger than the bound given. Reads stop at that bound even when the file grows meanwhile.
class RegularFile {
public:
    static std::optional<RegularFile> Open(const std::filesystem::path& path,
                                           std::uint64_t maxSize);
    ~RegularFile();
    RegularFile(RegularFile&&) noexcept;
    RegularFile& operator=(RegularFile&&) noexcept;

    const FileIdentity& Identity() const { return m_identity; }
    // Fills the start of `buffer`; 0 at the end of the file, at the bound, or on a read error.
    std::size_t Read(std::span<char> buffer);

private:
    struct Handle;
    RegularFile(std::unique_ptr<Handle> handle, FileIdentity identity, std::uint64_t maxSize);

    std::unique_ptr<Handle> m_handle;
    FileIdentity m_identity;
    std::uint64_t m_left = 0;
};

}  // namespace kestrel
