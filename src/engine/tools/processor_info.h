#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace dw {

struct CpuidRegisters {
    std::uint32_t eax = 0, ebx = 0, ecx = 0, edx = 0;
};

// What the CPUID instruction tells about the processor, and its name.
struct ProcessorInfo {
    bool cpuidAvailable = false;
    std::string vendorText = "Unknown";
    int vendor = 0;  // 1 Intel, 2 AMD, 3 Cyrix, 4 Centaur, 0 other
    std::uint32_t maxLeaf = 0;
    std::uint32_t maxExtendedLeaf = 0;
    std::uint32_t signature = 0;
    std::uint8_t brandIndex = 0;
    std::uint32_t features = 0;
    std::array<std::uint32_t, 4> cacheDescriptors{};
    std::string name;
    std::string speedText = "0";

    unsigned family() const { return (signature >> 8) & 0xF; }
    unsigned model() const { return (signature >> 4) & 0xF; }
    bool hasMmx() const { return (features & (1u << 23)) != 0; }
};

// The vendor number of a 12-character vendor text.
int vendorNumber(const std::string& vendorText);

// The name the Intel table gives, or nullopt when it leaves the name as it
// is (other families, or a maximum leaf of 0x80000004 and more).
std::optional<std::string> intelTableName(const ProcessorInfo& info);

// The table's name (when vendor is Intel), then " with MMX" when the
// processor has it: what the name is before a brand string replaces it.
void applyIntelTable(ProcessorInfo& info);

// One CPUID leaf; the real instruction or a test's table.
using CpuidReader = std::function<CpuidRegisters(std::uint32_t leaf)>;

// Identifies the processor through `cpuid` (nullopt reader: no CPUID).
// Standard leaves 1 and 2 are read as far as the maximum leaf reaches, and
// the brand string (trailing blanks dropped) names the processor whenever
// the extended leaves reach 0x80000004, whatever larger maxima a newer
// processor reports.
ProcessorInfo identifyProcessor(const CpuidReader& cpuid);

// The running processor: CPUID on x86-64; elsewhere the "model name" (or
// "Processor", "cpu model") line of /proc/cpuinfo as the name.
ProcessorInfo identifyThisProcessor();

// The two clocks the speed is measured with: milliseconds and the low 32
// bits of the time-stamp counter.
struct ClockSource {
    std::function<std::uint32_t()> milliseconds;
    std::function<std::uint32_t()> counter;
};

// Up to ten samples of the counter over just over 500 ms each, in MHz;
// stops at the first sample equal to the one before (the first compared
// with 0). The agreed value, or nullopt when no two agreed or `cancel` was
// set (checked while waiting).
std::optional<std::uint32_t> measureClockMhz(const ClockSource& clock, const std::atomic<bool>* cancel);

// Whether the processor's clock is measured: Intel above family 4, AMD
// above family 5, x86-64 only.
bool clockMeasurable(const ProcessorInfo& info);

// Measures this processor's clock into info.speedText ("N MHz"), the calling
// thread's priority raised for the time where that is permitted.
void measureThisProcessorClock(ProcessorInfo& info, const std::atomic<bool>* cancel);

}  // namespace dw
