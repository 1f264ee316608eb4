#pragma once

#include <cstdint>
#include <string>

namespace dw {

// What the Windows version query reports, for the version text rules.
struct WindowsVersion {
    std::uint32_t platformId = 0;  // 0 Win32s, 1 Windows 9x, 2 NT family
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
    std::string servicePack;       // "Service Pack 1", " C", " A", ...
};

// The operating-system line for a Windows version: "Microsoft Windows XP
// Service Pack 1 (Build 2600)" and the older families' forms.
std::string windowsVersionText(const WindowsVersion& version);

// The operating-system line on Linux: PRETTY_NAME of the os-release text
// (NAME and VERSION, then "Linux", when it is missing) and the kernel
// release: "Debian GNU/Linux 12 (bookworm), ядро Linux 6.1.0-18-amd64".
std::string linuxSystemText(const std::string& osRelease, const std::string& kernelRelease);

// The line for this machine, from /etc/os-release (or /usr/lib/os-release)
// and uname().
std::string operatingSystemText();

}  // namespace dw
