#include "platform/mounts.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(Mounts, DecodesEscapesAndSkipsMalformedLines)
{
    const auto table = dw::platform::parseMountTable(
        "/dev/sda1 / ext4 rw 0 0\n\ngarbage\n"
        "/dev/sdb1 /media/u/My\\040Disk\\134x\\011 vfat rw 0 0\n");
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].fsType, "ext4");
    EXPECT_EQ(table[1].device, "/dev/sdb1");
    EXPECT_EQ(table[1].mountPoint, "/media/u/My Disk\\x\t");
    EXPECT_FALSE(dw::platform::readMountTable("/nonexistent/mounts").has_value());
}

TEST(Mounts, DisksAreBlockDeviceFoldersAndRootAlways)
{
    dwtest::TempTree tree;
    const std::string disk = tree.mkdir("disk"), usb = tree.mkdir("usb stick"), net = tree.mkdir("net"),
                      ram = tree.mkdir("ram"), snap = tree.mkdir("snap"), fuse = tree.mkdir("fuse"),
                      file = tree.write("hosts", "x");
    auto line = [](const std::string& device, std::string point, const std::string& type) {
        for (std::size_t at; (at = point.find(' ')) != std::string::npos;)
            point.replace(at, 1, "\\040");
        return device + " " + point + " " + type + " rw 0 0\n";
    };
    // A missing node is how /dev/root appears; /dev/null is a character device.
    const std::string missing = "/dev/no-such-node-dw";
    const std::string text = line("overlay", "/", "overlay") + line(missing, disk, "ext4") +
                             line(missing, disk, "ext4") + line(missing, usb, "fuseblk") +
                             line("server:/export", net, "nfs4") + line(missing, net, "nfs") +
                             line("tmpfs", ram, "tmpfs") + line("/dev/loop3", snap, "squashfs") +
                             line("/dev/null", fuse, "ext4") + line(missing, fuse, "fuse.sshfs") +
                             line(missing, file, "ext4") + line("proc", "/proc", "proc");
    const std::vector<std::string> expected = {"/", disk + "/", usb + "/"};
    EXPECT_EQ(dw::platform::diskMountPoints(dw::platform::parseMountTable(text)), expected);
}

}  // namespace
