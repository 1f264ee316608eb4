#include "engine/tools/processor_info.h"

#include "platform/processes.h"

#include <time.h>

#include <cstring>
#include <fstream>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#define DW_HAS_CPUID 1
#endif

namespace dw {

namespace {

constexpr std::uint32_t kBrandLastLeaf = 0x80000004;

void appendRegister(std::string& text, std::uint32_t value)
{
    char bytes[4];
    std::memcpy(bytes, &value, 4);
    text.append(bytes, 4);
}

std::string cacheDescriptorName(const ProcessorInfo& info)
{
    bool noCache = false, largeCache = false;
    for (std::size_t reg = 0; reg < 4; ++reg) {
        // The low byte of EAX is the repeat count, not a descriptor.
        for (unsigned byte = reg == 0 ? 1 : 0; byte < 4; ++byte) {
            const std::uint32_t descriptor = (info.cacheDescriptors[reg] >> (8 * byte)) & 0xFF;
            if (descriptor == 0x40)
                noCache = true;
            else if (descriptor == 0x44 || descriptor == 0x45)
                largeCache = true;
        }
    }
    const bool model5 = info.model() == 5;
    if (noCache)
        return "Intel Celeron(TM) processor, model 5";
    if (largeCache)
        return model5 ? "Intel Pentium(R) II Xeon(TM) processor" : "Intel Pentium(R) III Xeon(TM) processor";
    return model5 ? "Intel Pentium(R) II processor, model 5" : "Intel Pentium(R) III processor";
}

std::string brandIndexName(std::uint8_t index)
{
    switch (index) {
    case 1:
        return "Genuine Intel Celeron(TM) processor";
    case 2:
        return "Genuine Intel Pentium(R) III processor";
    case 3:
        return "Genuine Intel Pentium(R) III Xeon(TM) processor";
    case 8:
        return "Genuine Intel Pentium(R) 4 processor";
    default:
        return "Unknown Genuine Intel processor";
    }
}

std::string family4Name(unsigned model)
{
    switch (model) {
    case 0:
    case 1:
        return "Intel486(TM) DX processor";
    case 2:
        return "Intel486(TM) SX processor";
    case 3:
        return "IntelDX2(TM) processor";
    case 4:
        return "Intel486(TM) processor";
    case 5:
        return "IntelSX2(TM) processor";
    case 7:
        return "Writeback Enhanced IntelDX2(TM) processor";
    case 8:
        return "IntelDX4(TM) processor";
    default:
        return "Intel 486 processor";
    }
}

std::string cpuinfoModelName()
{
    std::ifstream in("/proc/cpuinfo");
    std::string line;
    while (std::getline(in, line)) {
        const auto colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::string key = line.substr(0, colon);
        key.erase(key.find_last_not_of(" \t") + 1);
        if (key == "model name" || key == "Processor" || key == "cpu model") {
            std::string value = line.substr(colon + 1);
            value.erase(0, value.find_first_not_of(" \t"));
            return value;
        }
    }
    return {};
}

}  // namespace

int vendorNumber(const std::string& vendorText)
{
    if (vendorText == "GenuineIntel")
        return 1;
    if (vendorText == "AuthenticAMD")
        return 2;
    if (vendorText == "CyrixInstead")
        return 3;
    if (vendorText == "CentaurHauls")
        return 4;
    return 0;
}

std::optional<std::string> intelTableName(const ProcessorInfo& info)
{
    if (info.maxLeaf >= kBrandLastLeaf)
        return std::nullopt;
    switch (info.family()) {
    case 4:
        return family4Name(info.model());
    case 5:
        return std::string("Intel Pentium(R) processor");
    case 6:
        switch (info.model()) {
        case 1:
            return std::string("Intel Pentium(R) Pro processor");
        case 3:
            return std::string("Intel Pentium(R) II processor, model 3");
        case 5:
        case 7:
            return cacheDescriptorName(info);
        case 6:
            return std::string("Intel Celeron(TM) processor, model 6");
        case 8:
            return std::string("Intel Pentium(R) III Coppermine processor");
        default:
            return brandIndexName(info.brandIndex);
        }
    default:
        return std::nullopt;
    }
}

void applyIntelTable(ProcessorInfo& info)
{
    if (info.vendor != 1 || info.maxLeaf >= kBrandLastLeaf)
        return;
    if (std::optional<std::string> name = intelTableName(info))
        info.name = *name;
    if (info.hasMmx())
        info.name += " with MMX";
}

ProcessorInfo identifyProcessor(const CpuidReader& cpuid)
{
    ProcessorInfo info;
    if (!cpuid)
        return info;
    info.cpuidAvailable = true;
    const CpuidRegisters leaf0 = cpuid(0);
    info.maxLeaf = leaf0.eax;
    info.vendorText.clear();
    appendRegister(info.vendorText, leaf0.ebx);
    appendRegister(info.vendorText, leaf0.edx);
    appendRegister(info.vendorText, leaf0.ecx);
    info.vendor = vendorNumber(info.vendorText);
    if (info.maxLeaf < 1)
        return info;
    if (info.maxLeaf >= 2) {
        const CpuidRegisters leaf2 = cpuid(2);
        info.cacheDescriptors = {leaf2.eax, leaf2.ebx, leaf2.ecx, leaf2.edx};
    }
    const CpuidRegisters leaf1 = cpuid(1);
    info.signature = leaf1.eax;
    info.brandIndex = static_cast<std::uint8_t>(leaf1.ebx & 0xFF);
    info.features = leaf1.edx;
    applyIntelTable(info);

    info.maxExtendedLeaf = cpuid(0x80000000).eax;
    // Processors without extended leaves answer with unrelated values.
    if (info.maxExtendedLeaf < kBrandLastLeaf || info.maxExtendedLeaf > 0x8000FFFF)
        return info;
    std::string brand;
    for (std::uint32_t leaf = 0x80000002; leaf <= kBrandLastLeaf; ++leaf) {
        const CpuidRegisters regs = cpuid(leaf);
        for (std::uint32_t value : {regs.eax, regs.ebx, regs.ecx, regs.edx})
            appendRegister(brand, value);
    }
    info.name = brand.substr(0, brand.find('\0'));
    // Leading blanks are kept as the processor gives them; trailing ones only pad.
    info.name.erase(info.name.find_last_not_of(' ') + 1);
    return info;
}

ProcessorInfo identifyThisProcessor()
{
#ifdef DW_HAS_CPUID
    if (__get_cpuid_max(0, nullptr) != 0 || __get_cpuid_max(0x80000000, nullptr) != 0)
        return identifyProcessor([](std::uint32_t leaf) {
            CpuidRegisters regs;
            __cpuid(leaf, regs.eax, regs.ebx, regs.ecx, regs.edx);
            return regs;
        });
#endif
    ProcessorInfo info;
    info.name = cpuinfoModelName();
    return info;
}

std::optional<std::uint32_t> measureClockMhz(const ClockSource& clock, const std::atomic<bool>* cancel)
{
    auto cancelled = [cancel] { return cancel && cancel->load(std::memory_order_relaxed); };
    std::uint32_t previous = 0;
    for (int sample = 0; sample < 10; ++sample) {
        const std::uint32_t first = clock.milliseconds();
        while (clock.milliseconds() - first < 2)
            if (cancelled())
                return std::nullopt;
        const std::uint32_t start = clock.counter();
        const std::uint32_t from = clock.milliseconds();
        while (clock.milliseconds() - from <= 500)
            if (cancelled())
                return std::nullopt;
        // Unsigned difference: right across a wrap of the low 32 bits.
        const std::uint32_t mhz = (clock.counter() - start) / 500000;
        if (mhz == previous)
            return mhz;
        previous = mhz;
    }
    return std::nullopt;
}

bool clockMeasurable(const ProcessorInfo& info)
{
#ifdef DW_HAS_CPUID
    return info.cpuidAvailable &&
           ((info.vendor == 1 && info.family() > 4) || (info.vendor == 2 && info.family() > 5));
#else
    (void)info;
    return false;
#endif
}

void measureThisProcessorClock(ProcessorInfo& info, const std::atomic<bool>* cancel)
{
#ifdef DW_HAS_CPUID
    if (!clockMeasurable(info))
        return;
    ClockSource clock;
    clock.milliseconds = [] {
        timespec now {};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        return static_cast<std::uint32_t>(static_cast<std::uint64_t>(now.tv_sec) * 1000 +
                                          static_cast<std::uint64_t>(now.tv_nsec) / 1000000);
    };
    clock.counter = [] { return static_cast<std::uint32_t>(__rdtsc()); };
    const std::optional<int> previousNice = platform::adjustThreadNice(-10);
    const std::optional<std::uint32_t> mhz = measureClockMhz(clock, cancel);
    if (previousNice)
        platform::setThreadNice(*previousNice);
    if (mhz)
        info.speedText = std::to_string(*mhz) + " MHz";
#else
    (void)info;
    (void)cancel;
#endif
}

}  // namespace dw
