#include "support/temp_tree.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

namespace dwtest {

uid_t TempTree::userUid() { return 1000; }
bool TempTree::runningAsRoot() { return ::geteuid() == 0; }

bool TempTree::runAsUser(const std::function<bool()>& body)
{
    if (!runningAsRoot())
        return body();
    pid_t child = ::fork();
    if (child == 0) {
        bool ok = ::setgroups(0, nullptr) == 0 && ::setgid(userUid()) == 0 && ::setuid(userUid()) == 0 && body();
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TempTree::TempTree()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/dwtest-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    root_ = pattern + "/";
    ownAsUser(root_);
}

TempTree::~TempTree()
{
    std::error_code ec;
    // Make every folder writable again so that the cleanup cannot fail.
    for (auto it = fs::recursive_directory_iterator(root_, fs::directory_options::skip_permission_denied, ec);
         it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(root_, ec);
}

void TempTree::ownAsUser(const std::string& absolutePath)
{
    if (runningAsRoot())
        (void)::lchown(absolutePath.c_str(), userUid(), userUid());
}

std::string TempTree::mkdir(const std::string& relative)
{
    fs::path full = fs::path(root_) / relative;
    std::error_code ec;
    fs::create_directories(full, ec);
    // Own every level below the root.
    for (fs::path p = full; p.string().size() > root_.size() - 1 && p != p.parent_path(); p = p.parent_path())
        ownAsUser(p.string());
    return full.string();
}

std::string TempTree::write(const std::string& relative, const std::string& content)
{
    fs::path full = fs::path(root_) / relative;
    if (full.has_parent_path())
        mkdir(fs::relative(full.parent_path(), root_).string());
    std::ofstream out(full, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    ownAsUser(full.string());
    return full.string();
}

std::string TempTree::writeSized(const std::string& relative, std::uint64_t size, unsigned seed)
{
    return write(relative, makeBytes(size, seed));
}

void TempTree::age(const std::string& relative, std::int64_t secondsAgo)
{
    auto now = std::chrono::system_clock::now();
    std::int64_t then = std::chrono::duration_cast<std::chrono::seconds>(now.time_since_epoch()).count() - secondsAgo;
    struct timespec times[2] = {{static_cast<time_t>(then), 0}, {static_cast<time_t>(then), 0}};
    ::utimensat(AT_FDCWD, path(relative).c_str(), times, AT_SYMLINK_NOFOLLOW);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string makeBytes(std::uint64_t size, unsigned seed)
{
    std::mt19937 gen(seed);
    std::string bytes(size, '\0');
    for (auto& c : bytes)
        c = static_cast<char>(gen() & 0xFF);
    return bytes;
}

}  // namespace dwtest
