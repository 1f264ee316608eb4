#include "cli/cli_paths.h"

#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace dw::cli {

namespace {

std::string workingFolder()
{
    std::unique_ptr<char, decltype(&std::free)> cwd(::getcwd(nullptr, 0), &std::free);
    return cwd ? std::string(cwd.get()) : std::string("/");
}

}  // namespace

std::string absoluteFolder(const std::string& folder)
{
    const std::string full = !folder.empty() && folder[0] == '/' ? folder : workingFolder() + '/' + folder;
    std::vector<std::string> names;
    for (std::size_t start = 0; start <= full.size();) {
        std::size_t slash = full.find('/', start);
        if (slash == std::string::npos)
            slash = full.size();
        std::string name = full.substr(start, slash - start);
        if (name == "..") {
            if (!names.empty())
                names.pop_back();
        } else if (!name.empty() && name != ".") {
            names.push_back(std::move(name));
        }
        start = slash + 1;
    }
    std::string result = "/";
    for (const std::string& name : names)
        result += name + '/';
    return result;
}

}  // namespace dw::cli
