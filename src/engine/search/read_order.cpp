#include "engine/search/read_order.h"

#include "engine/search/fingerprint.h"

#include <linux/fiemap.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <zlib.h>

#include <algorithm>
#include <numeric>

namespace dw {

std::uint64_t diskPosition(int fd, const FileEntry& file)
{
    // Room for the map and the one extent asked for.
    alignas(struct fiemap) unsigned char storage[sizeof(struct fiemap) + sizeof(struct fiemap_extent)] = {};
    auto* map = reinterpret_cast<struct fiemap*>(storage);
    map->fm_start = 0;
    map->fm_length = FIEMAP_MAX_OFFSET;
    map->fm_extent_count = 1;
    const struct fiemap_extent& extent = map->fm_extents[0];
    const bool known = ::ioctl(fd, FS_IOC_FIEMAP, map) == 0 && map->fm_mapped_extents >= 1 &&
                       (extent.fe_flags & (FIEMAP_EXTENT_UNKNOWN | FIEMAP_EXTENT_DELALLOC |
                                           FIEMAP_EXTENT_DATA_INLINE)) == 0;
    return known ? extent.fe_physical : file.inode;
}

FirstLook fingerprintIfCached(const FileEntry& entry, std::uint32_t prefixLength, char* buffer,
                              FolderCache* folders, std::uint32_t& crc, std::uint64_t& position)
{
    crc = 0;
    if (entry.size == 0)
        return FirstLook::Unreadable;
    QuietReader reader;
    if (!reader.open(entry, false, folders))
        return FirstLook::Unreadable;
    const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(prefixLength, entry.size));
    switch (reader.readCachedAt(0, buffer, length)) {
    case QuietReader::Cached::Yes:
        break;
    case QuietReader::Cached::No:
        position = diskPosition(reader.fd(), entry);
        return FirstLook::NotCached;
    case QuietReader::Cached::Failed:
        return FirstLook::Unreadable;
    }
    crc = static_cast<std::uint32_t>(::crc32(::crc32(0L, Z_NULL, 0),
                                             reinterpret_cast<const Bytef*>(buffer),
                                             static_cast<uInt>(length)));
    return FirstLook::Fingerprinted;
}

std::vector<std::size_t> diskOrder(const std::vector<std::uint64_t>& devices,
                                   const std::vector<std::uint64_t>& positions)
{
    std::vector<std::size_t> order(devices.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return devices[a] != devices[b] ? devices[a] < devices[b] : positions[a] < positions[b];
    });
    return order;
}

}  // namespace dw
