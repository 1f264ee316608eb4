#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dw {

// A fixed file system as the drive combo box lists it.
struct FixedDrive {
    std::string mountPoint;  // ends with '/'
    std::string device;      // "/dev/sda1"; "" when the table does not name one
};

// The mounted file systems a user calls disks (block devices, no pseudo,
// network or package-image file systems; "/" always), sorted.
std::vector<FixedDrive> fixedDrives();

// Capacity and geometry of one file system, from statvfs: capacity and free
// are all blocks and all free blocks (reserved ones included); a "cluster"
// is the fundamental block (f_frsize), a "sector" the device's logical
// sector (512 when it cannot be read).
struct DriveFigures {
    std::uint64_t capacity = 0;
    std::uint64_t free = 0;
    std::uint64_t used = 0;
    std::uint64_t sectorsPerCluster = 0;
    std::uint64_t bytesPerSector = 0;
    std::uint64_t freeClusters = 0;
    std::uint64_t clusterSize = 0;  // sectorsPerCluster * bytesPerSector
};

// The figures of the file system holding `mountPoint`; nullopt when statvfs fails.
std::optional<DriveFigures> driveFigures(const FixedDrive& drive);

// The logical sector size of a block device node, read from /sys; nullopt
// when it is no block device or /sys does not tell.
std::optional<std::uint64_t> logicalSectorSize(const std::string& device);

// "1 234 567 байт": the exact number, its digits in groups of three.
std::string groupedBytes(std::uint64_t bytes);

// "1.50  GB": divided by 1024 while above 1000, two decimals, then the
// unit with its leading blank (" байт", " KB", " MB", " GB", " TB", " PB", " EB").
std::string scaledBytes(std::uint64_t bytes);

// "4096 байт".
std::string bytesText(std::uint64_t bytes);

}  // namespace dw
