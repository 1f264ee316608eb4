#include "engine/tools/drive_info.h"

#include "platform/mounts.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

#include <charconv>
#include <fstream>

namespace dw {

namespace {

std::optional<std::uint64_t> readNumber(const std::string& path)
{
    std::ifstream in(path);
    std::uint64_t value = 0;
    if (!(in >> value) || value == 0)
        return std::nullopt;
    return value;
}

}  // namespace

std::vector<FixedDrive> fixedDrives()
{
    const auto table = platform::readMountTable();
    const std::vector<platform::MountEntry> entries = table ? *table : std::vector<platform::MountEntry>{};
    std::vector<FixedDrive> drives;
    for (const std::string& point : platform::diskMountPoints(entries)) {
        FixedDrive drive{point, {}};
        // The last mount on a point is the one seen there.
        for (const platform::MountEntry& entry : entries) {
            std::string mounted = entry.mountPoint;
            if (mounted.empty() || mounted.back() != '/')
                mounted.push_back('/');
            if (mounted == point && !entry.device.empty() && entry.device[0] == '/')
                drive.device = entry.device;
        }
        drives.push_back(std::move(drive));
    }
    return drives;
}

std::optional<std::uint64_t> logicalSectorSize(const std::string& device)
{
    struct stat st {};
    if (device.empty() || ::stat(device.c_str(), &st) != 0 || !S_ISBLK(st.st_mode))
        return std::nullopt;
    const std::string base = "/sys/dev/block/" + std::to_string(major(st.st_rdev)) + ":" +
                             std::to_string(minor(st.st_rdev));
    // A partition has no queue of its own; its disk, one folder up, has.
    if (auto size = readNumber(base + "/queue/logical_block_size"))
        return size;
    return readNumber(base + "/../queue/logical_block_size");
}

std::optional<DriveFigures> driveFigures(const FixedDrive& drive)
{
    struct statvfs vfs {};
    if (::statvfs(drive.mountPoint.c_str(), &vfs) != 0)
        return std::nullopt;
    DriveFigures figures;
    const std::uint64_t block = vfs.f_frsize ? vfs.f_frsize : vfs.f_bsize;
    figures.capacity = static_cast<std::uint64_t>(vfs.f_blocks) * block;
    figures.free = static_cast<std::uint64_t>(vfs.f_bfree) * block;
    figures.used = figures.capacity - figures.free;
    figures.freeClusters = vfs.f_bfree;
    std::uint64_t sector = logicalSectorSize(drive.device).value_or(512);
    if (block < sector || block % sector != 0)
        sector = block;  // a block smaller than a sector counts as one sector
    figures.bytesPerSector = sector;
    figures.sectorsPerCluster = sector ? block / sector : 0;
    figures.clusterSize = figures.sectorsPerCluster * figures.bytesPerSector;
    return figures;
}

std::string groupedBytes(std::uint64_t bytes)
{
    const std::string digits = std::to_string(bytes);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (digits.size() - i) % 3 == 0)
            text.push_back(' ');
        text.push_back(digits[i]);
    }
    return text + " байт";
}

std::string scaledBytes(std::uint64_t bytes)
{
    static constexpr const char* kUnits[] = {" байт", " KB", " MB", " GB", " TB", " PB", " EB"};
    double value = static_cast<double>(bytes);
    std::size_t step = 0;
    while (value > 1000 && step + 1 < std::size(kUnits)) {
        value /= 1024;
        ++step;
    }
    char number[64];
    auto result = std::to_chars(number, number + sizeof number, value, std::chars_format::fixed, 2);
    return std::string(number, result.ptr) + " " + kUnits[step];
}

std::string bytesText(std::uint64_t bytes) { return std::to_string(bytes) + " байт"; }

}  // namespace dw
