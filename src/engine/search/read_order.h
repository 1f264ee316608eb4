#pragma once

#include "engine/search/file_entry.h"
#include "engine/search/folder_cache.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dw {

// Where a file's data begins on its device (FIEMAP), or its inode number
// where the file system cannot tell (tmpfs, overlays, inline data): reads in
// this order let a disk that reads ahead, or a head that moves one way,
// serve the pool's reads with the least seeking.
std::uint64_t diskPosition(int fd, const FileEntry& file);

// What a first look at a file found.
enum class FirstLook { Fingerprinted, NotCached, Unreadable };

// Fingerprints the file (as fingerprint() does) when its first
// min(prefixLength, size) bytes are in the page cache already, without
// waiting for the disk. Otherwise returns NotCached and sets `position` to
// diskPosition(), so that the reads that do wait can be sorted first.
FirstLook fingerprintIfCached(const FileEntry& entry, std::uint32_t prefixLength, char* buffer,
                              FolderCache* folders, std::uint32_t& crc, std::uint64_t& position);

// Positions 0..devices.size()-1 ordered by device, then by position; equal
// keys keep their order.
std::vector<std::size_t> diskOrder(const std::vector<std::uint64_t>& devices,
                                   const std::vector<std::uint64_t>& positions);

}  // namespace dw
