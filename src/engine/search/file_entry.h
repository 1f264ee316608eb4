#pragma once

#include <cstdint>
#include <memory>
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
// The folder part of the path is shared by all entries of one folder, which
// keeps a walk of millions of files small.
struct FileEntry {
    std::uint64_t size = 0;          // bytes; 0 for folders
    std::int64_t lastAccessNs = 0;   // st_atim, nanoseconds since the epoch (UTC)
    std::uint64_t device = 0;        // st_dev
    std::uint64_t inode = 0;         // st_ino
    std::uint32_t hash = 0;          // prefix CRC-32, valid when prefixRead
    std::uint8_t attributes = 0;
    bool prefixRead = false;         // the duplicate search has fingerprinted the file
    std::shared_ptr<const std::string> folder;  // ends with '/'; may be empty
    std::string name;

    bool isFolder() const { return (attributes & attr::Folder) != 0; }
    // The full path: the folder followed by the name.
    std::string path() const { return folder ? *folder + name : name; }
    // Splits `fullPath` into a folder of its own and the name.
    void setPath(std::string_view fullPath)
    {
        auto slash = fullPath.rfind('/');
        std::string_view folderPart =
            slash == std::string_view::npos ? std::string_view() : fullPath.substr(0, slash + 1);
        folder = std::make_shared<const std::string>(folderPart);
        name = std::string(fullPath.substr(folderPart.size()));
    }
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
