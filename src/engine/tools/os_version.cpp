#include "engine/tools/os_version.h"

#include <sys/utsname.h>

#include <fstream>
#include <map>
#include <sstream>

namespace dw {

namespace {

// The value of a shell-style assignment: quotes removed, escapes resolved.
std::string unquoted(const std::string& value)
{
    if (value.size() < 2 || (value.front() != '"' && value.front() != '\''))
        return value;
    std::string result;
    for (std::size_t i = 1; i + 1 < value.size(); ++i) {
        if (value[i] == '\\' && value.front() == '"' && i + 2 < value.size())
            ++i;
        result.push_back(value[i]);
    }
    return result;
}

std::map<std::string, std::string> osReleaseFields(const std::string& text)
{
    std::map<std::string, std::string> fields;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const auto equals = line.find('=');
        if (line.empty() || line[0] == '#' || equals == std::string::npos)
            continue;
        fields[line.substr(0, equals)] = unquoted(line.substr(equals + 1));
    }
    return fields;
}

std::string readWhole(const char* path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

std::string windowsVersionText(const WindowsVersion& version)
{
    std::string text;
    const char second = version.servicePack.size() > 1 ? version.servicePack[1] : '\0';
    const std::string buildText = " (Build " + std::to_string(version.build & 0xFFFF) + ")";
    switch (version.platformId) {
    case 0:
        text += "Microsoft Win32s ";
        break;
    case 1:
        if (version.major != 4)
            break;
        if (version.minor == 0) {
            text += "Microsoft Windows 95 ";
            if (second == 'C')
                text += "OSR2 ";
            else if (second != '\0')
                text += std::string(1, second) + " ";
        } else if (version.minor == 10) {
            text += "Microsoft Windows 98 ";
            if (second == 'A')
                text += "SE ";
        } else if (version.minor == 90) {
            text += "Microsoft Windows Me ";
        }
        break;
    case 2:
        if (version.major <= 4) {
            text += "Microsoft Windows NT version " + std::to_string(version.major) + "." +
                    std::to_string(version.minor) + " " + version.servicePack + buildText + " ";
            break;
        }
        if (version.major == 5 && version.minor == 0)
            text += "Microsoft Windows 2000 ";
        else if (version.major == 5 && version.minor == 1)
            text += "Microsoft Windows XP ";
        text += version.servicePack + buildText;
        break;
    default:
        break;
    }
    return text;
}

std::string linuxSystemText(const std::string& osRelease, const std::string& kernelRelease)
{
    const auto fields = osReleaseFields(osRelease);
    std::string name;
    if (auto pretty = fields.find("PRETTY_NAME"); pretty != fields.end() && !pretty->second.empty()) {
        name = pretty->second;
    } else if (auto plain = fields.find("NAME"); plain != fields.end() && !plain->second.empty()) {
        name = plain->second;
        if (auto version = fields.find("VERSION"); version != fields.end() && !version->second.empty())
            name += " " + version->second;
    } else {
        name = "Linux";
    }
    return kernelRelease.empty() ? name : name + ", ядро Linux " + kernelRelease;
}

std::string operatingSystemText()
{
    std::string osRelease = readWhole("/etc/os-release");
    if (osRelease.empty())
        osRelease = readWhole("/usr/lib/os-release");
    struct utsname names {};
    const std::string kernel = ::uname(&names) == 0 ? std::string(names.release) : std::string();
    return linuxSystemText(osRelease, kernel);
}

}  // namespace dw
