#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dw {

// The four kinds of search, numbered by their tab; finders run in this order.
enum class ResultKind : int { ByMask = 0, BySize = 1, Duplicates = 2, Old = 3 };
inline constexpr int kResultKindCount = 4;

// Colours are 0x00BBGGRR; 0 passed to addRow means "the list's default".
using Colour = std::uint32_t;

// Attribute bits as the lists show them (see platform/file_status.h for the mapping).
namespace attr {
inline constexpr std::uint8_t ReadOnly = 0x01;
inline constexpr std::uint8_t Hidden = 0x02;
inline constexpr std::uint8_t System = 0x04;
inline constexpr std::uint8_t Folder = 0x10;
inline constexpr std::uint8_t Archive = 0x20;
}  // namespace attr

// One file or folder met by the walk. Everything comes from one lstat().
struct FileEntry {
    std::uint64_t size = 0;          // bytes; 0 for folders
    std::uint32_t hash = 0;          // prefix CRC-32; 0 = not computed or unreadable
    std::int64_t lastAccessNs = 0;   // st_atim, nanoseconds since the epoch (UTC)
    std::uint64_t device = 0;        // st_dev
    std::uint64_t inode = 0;         // st_ino
    std::uint8_t attributes = 0;
    std::string path;                // scope folder (ending in '/') + relative path

    bool isFolder() const { return (attributes & attr::Folder) != 0; }
};

// The name part of a path (after the last '/').
inline std::string_view fileNameOf(std::string_view path)
{
    auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The extension of a path's name including its dot ("" when the name has none).
inline std::string_view extensionOf(std::string_view path)
{
    std::string_view name = fileNameOf(path);
    auto dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

}  // namespace dw
