// windows.h would otherwise define min and max as macros.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>

#include "settings/regular_file.h"

namespace kestrel {
namespace {

std::uint64_t Join(DWORD high, DWORD low) {
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

std::int64_t Ticks(const FILETIME& time) {
    return static_cast<std::int64_t>(Join(time.dwHighDateTime, time.dwLowDateTime));
}

}  // namespace

struct RegularFile::Handle {
    explicit Handle(HANDLE file) : file(file) {}
    ~Handle() { CloseHandle(file); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE file;
};

std::optional<RegularFile> RegularFile::Open(const std::filesystem::path& path,
                                             std::uint64_t maxSize) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    auto handle = std::make_unique<Handle>(file);
    // What was opened is checked, not the path: a pipe or a device is no disk file.
    BY_HANDLE_FILE_INFORMATION information{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::nullopt;
    }
    const FileIdentity identity{information.dwVolumeSerialNumber,
                                Join(information.nFileIndexHigh, information.nFileIndexLow),
                                Join(information.nFileSizeHigh, information.nFileSizeLow),
                                Ticks(information.ftLastWriteTime),
                                Ticks(information.ftCreationTime)};
    if (identity.size > maxSize) {
        return std::nullopt;
    }
    return RegularFile(std::move(handle), identity, maxSize);
}

std::size_t RegularFile::Read(std::span<char> buffer) {
    const auto wanted = static_cast<DWORD>(
        std::min<std::uint64_t>({buffer.size(), m_left, std::uint64_t{1} << 30}));
    DWORD got = 0;
    if (!ReadFile(m_handle->file, buffer.data(), wanted, &got, nullptr)) {
        return 0;
    }
    m_left -= got;
    return got;
}

RegularFile::RegularFile(std::unique_ptr<Handle> handle, FileIdentity identity,
                         std::uint64_t maxSize)
    : m_handle(std::move(handle)), m_identity(identity), m_left(maxSize) {}

RegularFile::~RegularFile() = default;
RegularFile::RegularFile(RegularFile&&) noexcept = default;
RegularFile& RegularFile::operator=(RegularFile&&) noexcept = default;

}  // namespace kestrel
