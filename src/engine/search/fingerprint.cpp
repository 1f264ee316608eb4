#include "engine/search/fingerprint.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

namespace dw {

QuietReader::~QuietReader() { close(); }

QuietReader::QuietReader(QuietReader&& other) noexcept
    : fd_(other.fd_), error_(other.error_), restoreAccessTime_(other.restoreAccessTime_),
      accessTime_(other.accessTime_)
{
    other.fd_ = -1;
}

QuietReader& QuietReader::operator=(QuietReader&& other) noexcept
{
    if (this != &other) {
        close();
        fd_ = other.fd_;
        error_ = other.error_;
        restoreAccessTime_ = other.restoreAccessTime_;
        accessTime_ = other.accessTime_;
        other.fd_ = -1;
    }
    return *this;
}

bool QuietReader::open(const FileEntry& entry)
{
    close();
    const int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    const std::string path = entry.path();
    fd_ = ::open(path.c_str(), flags | O_NOATIME);
    restoreAccessTime_ = false;
    if (fd_ < 0 && errno == EPERM) {
        // O_NOATIME needs ownership; read normally and put the time back.
        fd_ = ::open(path.c_str(), flags);
        restoreAccessTime_ = fd_ >= 0;
    }
    if (fd_ < 0) {
        error_ = errno;
        return false;
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<std::uint64_t>(st.st_dev) != entry.device ||
        static_cast<std::uint64_t>(st.st_ino) != entry.inode ||
        static_cast<std::uint64_t>(st.st_size) != entry.size) {
        error_ = ESTALE;
        restoreAccessTime_ = false;
        close();
        return false;
    }
    accessTime_ = st.st_atim;
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    error_ = 0;
    return true;
}

bool QuietReader::readAt(std::uint64_t offset, char* buffer, std::size_t length)
{
    std::size_t done = 0;
    while (done < length) {
        ssize_t got = ::pread(fd_, buffer + done, length - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            error_ = got < 0 ? errno : EIO;  // 0: the file shrank under us
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    return true;
}

void QuietReader::close()
{
    if (fd_ < 0)
        return;
    if (restoreAccessTime_) {
        struct timespec times[2] = {accessTime_, {0, UTIME_OMIT}};
        ::futimens(fd_, times);
    }
    ::close(fd_);
    fd_ = -1;
}

int fingerprint(const FileEntry& entry, std::uint32_t prefixLength, std::uint32_t& crc)
{
    crc = 0;
    if (entry.size == 0)
        return EINVAL;
    QuietReader reader;
    if (!reader.open(entry))
        return reader.error();
    std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(prefixLength, entry.size));
    std::unique_ptr<char[]> buffer(new char[length]);
    if (!reader.readAt(0, buffer.get(), length))
        return reader.error();
    crc = static_cast<std::uint32_t>(
        ::crc32(::crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(buffer.get()),
                static_cast<uInt>(length)));
    return 0;
}

namespace {

// Above this many open files a group reopens its members for every chunk
// instead of keeping them open, so huge groups cannot exhaust descriptors.
constexpr std::size_t kMaxOpenMembers = 256;
// Reads come from the page cache most of the time, so small chunks cost few
// extra system calls while keeping the memory of a search low.
constexpr std::size_t kChunkBudget = 1u << 20;  // bytes of buffers per group

std::size_t chunkSizeFor(std::size_t members, std::uint64_t fileSize)
{
    std::size_t chunk = kChunkBudget / std::max<std::size_t>(members, 1);
    chunk = std::clamp<std::size_t>(chunk, 16u << 10, 256u << 10);
    return static_cast<std::size_t>(std::min<std::uint64_t>(chunk, fileSize));
}

}  // namespace

std::vector<std::vector<std::size_t>> splitByContent(const std::vector<FileEntry*>& entries,
                                                      const std::vector<std::size_t>& members,
                                                      Progress* progress,
                                                      std::uint64_t& unreadable)
{
    std::vector<std::vector<std::size_t>> result;
    if (members.size() < 2)
        return result;
    const std::uint64_t fileSize = entries[members.front()]->size;
    const bool keepOpen = members.size() <= kMaxOpenMembers;
    const std::size_t chunk = chunkSizeFor(members.size(), fileSize);

    struct Member {
        std::size_t index;
        QuietReader reader;
        std::unique_ptr<char[]> buffer;
    };
    std::vector<Member> all;
    all.reserve(members.size());
    for (std::size_t index : members)
        all.push_back({index, QuietReader(), std::unique_ptr<char[]>(new char[chunk])});

    // Each set holds positions in `all`; sets split as chunks differ.
    std::vector<std::vector<std::size_t>> sets(1);
    for (std::size_t i = 0; i < all.size(); ++i)
        sets[0].push_back(i);

    auto readChunk = [&](Member& member, std::uint64_t offset, std::size_t length) {
        if (!member.reader.isOpen() && !member.reader.open(*entries[member.index]))
            return false;
        bool ok = member.reader.readAt(offset, member.buffer.get(), length);
        if (!keepOpen || !ok)
            member.reader.close();
        return ok;
    };

    for (std::uint64_t offset = 0; offset < fileSize && !sets.empty(); offset += chunk) {
        if (progress && progress->cancelled())
            return result;
        const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(chunk, fileSize - offset));
        std::vector<std::vector<std::size_t>> nextSets;
        for (std::vector<std::size_t>& set : sets) {
            std::vector<std::size_t> readable;
            for (std::size_t pos : set) {
                if (readChunk(all[pos], offset, length))
                    readable.push_back(pos);
                else
                    ++unreadable;
            }
            // Partition by equal chunk: each file joins the first set whose
            // representative has the same bytes.
            std::vector<std::vector<std::size_t>> parts;
            for (std::size_t pos : readable) {
                auto same = std::find_if(parts.begin(), parts.end(), [&](const std::vector<std::size_t>& part) {
                    return std::memcmp(all[part.front()].buffer.get(), all[pos].buffer.get(), length) == 0;
                });
                if (same == parts.end())
                    parts.push_back({pos});
                else
                    same->push_back(pos);
            }
            for (auto& part : parts) {
                if (part.size() >= 2) {
                    nextSets.push_back(std::move(part));
                } else {
                    all[part.front()].reader.close();
                }
            }
        }
        sets = std::move(nextSets);
    }
    for (const auto& set : sets) {
        std::vector<std::size_t> indices;
        for (std::size_t pos : set) {
            indices.push_back(all[pos].index);
            all[pos].reader.close();
        }
        result.push_back(std::move(indices));
    }
    // Sets come out in the order of their first member.
    std::sort(result.begin(), result.end(),
              [](const auto& a, const auto& b) { return a.front() < b.front(); });
    return result;
}

}  // namespace dw
