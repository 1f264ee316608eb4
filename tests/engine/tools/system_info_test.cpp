#include "engine/tools/drive_info.h"
#include "engine/tools/os_version.h"
#include "engine/tools/processor_info.h"

#include <gtest/gtest.h>

#include <sys/statvfs.h>

#include <cstring>
#include <fstream>
#include <map>

namespace {

// CPUID answers from a table; leaves not in it read as zeros.
dw::CpuidReader tableReader(std::map<std::uint32_t, dw::CpuidRegisters> leaves)
{
    return [leaves](std::uint32_t leaf) {
        auto it = leaves.find(leaf);
        return it == leaves.end() ? dw::CpuidRegisters{} : it->second;
    };
}

std::uint32_t word(const char* four)
{
    std::uint32_t value = 0;
    std::memcpy(&value, four, 4);
    return value;
}

dw::CpuidRegisters vendorLeaf(std::uint32_t maxLeaf, const char* vendor)
{
    return {maxLeaf, word(vendor), word(vendor + 8), word(vendor + 4)};
}

std::map<std::uint32_t, dw::CpuidRegisters> brandLeaves(const std::string& brand48)
{
    std::map<std::uint32_t, dw::CpuidRegisters> leaves;
    for (std::uint32_t i = 0; i < 3; ++i) {
        const char* part = brand48.c_str() + 16 * i;
        leaves[0x80000002 + i] = {word(part), word(part + 4), word(part + 8), word(part + 12)};
    }
    return leaves;
}

std::string trimmed(std::string text)
{
    text.erase(0, text.find_first_not_of(' '));
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

}  // namespace

TEST(OsVersion, WindowsTextsFollowTheVersionRules)
{
    EXPECT_EQ(dw::windowsVersionText({2, 5, 1, 0x0A280A28, "Service Pack 1"}),
              "Microsoft Windows XP Service Pack 1 (Build 2600)");
    EXPECT_EQ(dw::windowsVersionText({2, 4, 0, 1381, "Service Pack 6"}),
              "Microsoft Windows NT version 4.0 Service Pack 6 (Build 1381) ");
    EXPECT_EQ(dw::windowsVersionText({2, 6, 1, 7601, "Service Pack 1"}), "Service Pack 1 (Build 7601)");
    EXPECT_EQ(dw::windowsVersionText({1, 4, 0, 950, " C"}), "Microsoft Windows 95 OSR2 ");
    EXPECT_EQ(dw::windowsVersionText({1, 4, 0, 950, " B"}), "Microsoft Windows 95 B ");
    EXPECT_EQ(dw::windowsVersionText({1, 4, 10, 2222, " A"}), "Microsoft Windows 98 SE ");
    EXPECT_EQ(dw::windowsVersionText({1, 4, 90, 3000, ""}), "Microsoft Windows Me ");
    EXPECT_EQ(dw::windowsVersionText({0, 3, 10, 0, ""}), "Microsoft Win32s ");
}

TEST(OsVersion, LinuxLineNamesTheDistributionAndTheKernel)
{
    EXPECT_EQ(dw::linuxSystemText("NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n",
                                  "6.1.0-18-amd64"),
              "Debian GNU/Linux 12 (bookworm), ядро Linux 6.1.0-18-amd64");
    EXPECT_EQ(dw::linuxSystemText("NAME=Arch\nVERSION='rolling'\n", "6.8"), "Arch rolling, ядро Linux 6.8");
    EXPECT_EQ(dw::linuxSystemText("", ""), "Linux");
    EXPECT_NE(dw::operatingSystemText().find(", ядро Linux "), std::string::npos);
}

TEST(ProcessorInfo, IntelTableNamesOldProcessors)
{
    dw::ProcessorInfo info;
    info.vendor = 1;
    info.maxLeaf = 2;
    info.signature = 0x0F12;  // family 15: not in the table
    info.features = 1u << 23;
    dw::applyIntelTable(info);
    EXPECT_EQ(info.name, " with MMX");

    info = {};
    info.vendor = 1;
    info.maxLeaf = 2;
    info.signature = 0x0673;  // family 6, model 7
    info.cacheDescriptors = {0x03020140, 0, 0, 0x0C040843};  // 0x40 only as EAX's repeat count
    dw::applyIntelTable(info);
    EXPECT_EQ(info.name, "Intel Pentium(R) III processor");

    info.cacheDescriptors = {0x03020101, 0x00400000, 0, 0};  // 0x40: no second-level cache
    info.name.clear();
    dw::applyIntelTable(info);
    EXPECT_EQ(info.name, "Intel Celeron(TM) processor, model 5");
    info.cacheDescriptors = {0x00000001, 0x45000000, 0, 0};
    EXPECT_EQ(dw::intelTableName(info), "Intel Pentium(R) III Xeon(TM) processor");
    info.signature = 0x0652;
    info.cacheDescriptors = {0x00000001, 0, 0, 0};
    EXPECT_EQ(dw::intelTableName(info), "Intel Pentium(R) II processor, model 5");
    info.signature = 0x06B1;
    info.brandIndex = 8;
    EXPECT_EQ(dw::intelTableName(info), "Genuine Intel Pentium(R) 4 processor");
    info.signature = 0x0433;
    EXPECT_EQ(dw::intelTableName(info), "IntelDX2(TM) processor");
}

TEST(ProcessorInfo, BrandStringNamesProcessorsWithLargeMaxima)
{
    auto leaves = brandLeaves(std::string("       Intel(R) Core(TM) i7-9700 CPU @ 3.00GHz  ") + std::string(1, '\0'));
    leaves[0] = vendorLeaf(0x16, "GenuineIntel");
    leaves[1] = {0x000906ED, 0, 0, 1u << 23};
    leaves[0x80000000] = {0x80000008, 0, 0, 0};
    const dw::ProcessorInfo info = dw::identifyProcessor(tableReader(leaves));
    EXPECT_EQ(info.vendorText, "GenuineIntel");
    EXPECT_EQ(info.vendor, 1);
    EXPECT_EQ(info.family(), 6u);
    EXPECT_EQ(info.name, "       Intel(R) Core(TM) i7-9700 CPU @ 3.00GHz");

    auto old = tableReader({{0, vendorLeaf(1, "GenuineIntel")}, {1, {0x0F12, 0, 0, 1u << 23}}, {0x80000000, {0x80000003}}});
    EXPECT_EQ(dw::identifyProcessor(old).name, " with MMX");
    EXPECT_EQ(dw::identifyProcessor(nullptr).vendorText, "Unknown");
    EXPECT_FALSE(dw::identifyProcessor(nullptr).cpuidAvailable);
}

#if defined(__x86_64__)
// What the kernel says about the first processor in /proc/cpuinfo.
std::map<std::string, std::string> kernelCpuFields()
{
    std::map<std::string, std::string> fields;
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    while (std::getline(cpuinfo, line) && !line.empty()) {
        const auto colon = line.find(':');
        if (colon != std::string::npos)
            fields[trimmed(line.substr(0, line.find_first_of("\t:")))] = trimmed(line.substr(colon + 1));
    }
    return fields;
}

TEST(ProcessorInfo, NameIsTheModelNameTheKernelShows)
{
    const auto fields = kernelCpuFields();
    if (!fields.count("model name"))
        GTEST_SKIP() << "no model name in /proc/cpuinfo";
    const dw::ProcessorInfo info = dw::identifyThisProcessor();
    EXPECT_EQ(info.vendorText, fields.at("vendor_id"));
    // The kernel reads the brand string once at boot; a virtual machine
    // restored from a snapshot on another host can report another one since.
    if (trimmed(info.name) != fields.at("model name"))
        GTEST_SKIP() << "the kernel's model name \"" << fields.at("model name")
                     << "\" is stale: CPUID now names \"" << info.name << "\"";
    EXPECT_EQ(trimmed(info.name), fields.at("model name"));
}
#endif

TEST(ProcessorClock, SamplesUntilTwoAgreeAcrossACounterWrap)
{
    // Every reading of the millisecond clock moves it on by 1 ms; the counter
    // runs at 2000 MHz from just below the wrap of its low 32 bits. A window
    // spans 502 readings here, so the figure is 502 * 2000000 / 500000.
    std::uint32_t now = 0;
    dw::ClockSource clock;
    clock.milliseconds = [&] { return now++; };
    clock.counter = [&] { return static_cast<std::uint32_t>(0xFFFF0000u + std::uint64_t(now) * 2000000u); };
    EXPECT_EQ(dw::measureClockMhz(clock, nullptr), 2008u);

    // A counter that never gives the same figure twice gives none.
    std::uint32_t calls = 0;
    clock.counter = [&] {
        ++calls;
        return calls % 2 ? 0u : calls * 1000000u;
    };
    EXPECT_FALSE(dw::measureClockMhz(clock, nullptr).has_value());
    EXPECT_EQ(calls, 20u);

    std::atomic<bool> cancel{true};
    EXPECT_FALSE(dw::measureClockMhz(clock, &cancel).has_value());
}

TEST(DriveFigures, GroupedAndScaledTexts)
{
    EXPECT_EQ(dw::groupedBytes(1234567), "1 234 567 байт");
    EXPECT_EQ(dw::groupedBytes(0), "0 байт");
    EXPECT_EQ(dw::groupedBytes(999), "999 байт");
    EXPECT_EQ(dw::groupedBytes(1000), "1 000 байт");
    EXPECT_EQ(dw::groupedBytes(18446744073709551615ull), "18 446 744 073 709 551 615 байт");
    EXPECT_EQ(dw::scaledBytes(0), "0.00  байт");
    EXPECT_EQ(dw::scaledBytes(999), "999.00  байт");
    EXPECT_EQ(dw::scaledBytes(1001), "0.98  KB");
    EXPECT_EQ(dw::scaledBytes(1610612736), "1.50  GB");
    EXPECT_EQ(dw::scaledBytes(5ull << 40), "5.00  TB");
    EXPECT_EQ(dw::scaledBytes(18446744073709551615ull), "16.00  EB");
    EXPECT_EQ(dw::bytesText(4096), "4096 байт");
}

TEST(DriveFigures, RootFileSystemMatchesStatvfs)
{
    const auto drives = dw::fixedDrives();
    ASSERT_FALSE(drives.empty());
    EXPECT_EQ(drives.front().mountPoint, "/");
    // A busy file system changes between two reads; retry until it holds still.
    for (int attempt = 0; attempt < 20; ++attempt) {
        struct statvfs before {}, after {};
        ASSERT_EQ(::statvfs("/", &before), 0);
        const auto figures = dw::driveFigures(drives.front());
        ASSERT_EQ(::statvfs("/", &after), 0);
        ASSERT_TRUE(figures.has_value());
        if (before.f_bfree != after.f_bfree)
            continue;
        EXPECT_EQ(figures->capacity, std::uint64_t(after.f_blocks) * after.f_frsize);
        EXPECT_EQ(figures->free, std::uint64_t(after.f_bfree) * after.f_frsize);
        EXPECT_EQ(figures->used, figures->capacity - figures->free);
        EXPECT_EQ(figures->freeClusters, after.f_bfree);
        EXPECT_EQ(figures->clusterSize, after.f_frsize);
        EXPECT_EQ(figures->sectorsPerCluster * figures->bytesPerSector, after.f_frsize);
        return;
    }
    FAIL() << "the root file system never held still";
}
