#include "engine/results/session_file.h"

#include "engine/texts.h"
#include "platform/file_status.h"
#include "platform/safe_path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <limits>

namespace dw {

namespace {

constexpr std::uint8_t kLongLength = 0xFF;
constexpr std::uint16_t kWideMarker = 0xFFFE;  // a wide-character string: never written here
constexpr std::uint16_t kLongerLength = 0xFFFF;
constexpr std::size_t kStreamBuffer = 64 * 1024;

// A row names exactly one entry: an absolute path without ".", ".." or
// empty components. Anything else (a relative path, "/a/victim/sub/..", a
// path cut short by a NUL byte) would let a crafted file point the list,
// and later a delete, at some other file.
bool namesAFile(const std::string& path)
{
    return path.find('\0') == std::string::npos && platform::isCleanAbsolutePath(path);
}

// Folders carry a size of 0 in every list, so a saved folder row does too.
std::uint64_t rowSize(const platform::FileStatus& status)
{
    return status.isFolder() ? 0 : status.size;
}

std::string folderOf(const std::string& path)
{
    auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

// Where a save to `path` writes: a symbolic link (or a chain of them) is
// written through, as opening the file would have done, also when the file
// it names does not exist yet; the rename then replaces or creates that
// file and the link stays a link. "" when the links lead nowhere a file can
// be made (a loop, a missing folder).
std::string resolvedTarget(const std::string& path)
{
    constexpr int kMaxLinks = 40;  // the kernel's own limit on a chain
    std::string current = path;
    for (int hops = 0;; ++hops) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            break;
        if (hops == kMaxLinks)
            return {};
        std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : PATH_MAX), '\0');
        ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length <= 0 || static_cast<std::size_t>(length) > target.size())
            return {};
        target.resize(static_cast<std::size_t>(length));
        current = target.front() == '/' ? target : folderOf(current) + target;
    }
    if (current == path)
        return path;
    while (current.size() > 1 && current.back() == '/')
        current.pop_back();
    char* real = ::realpath(folderOf(current).c_str(), nullptr);
    if (!real)
        return {};
    std::string folder(real);
    std::free(real);
    const std::string name = current.substr(current.rfind('/') + 1);
    if (name.empty() || name == "." || name == "..")
        return {};
    return (folder == "/" ? folder : folder + "/") + name;
}

// The temporary file lives beside the target so that the rename stays on
// one file system. Mode 0666 lets the umask apply as for any new file.
int createBeside(const std::string& target, std::string& tempPath)
{
    static std::atomic<unsigned> serial{0};
    auto slash = target.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    if (name.size() > NAME_MAX - 40)
        name.resize(NAME_MAX - 40);
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = folder + "." + name + "." + std::to_string(::getpid()) + "-" +
                   std::to_string(serial.fetch_add(1)) + ".tmp";
        int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

void syncFolderOf(const std::string& path)
{
    auto slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The open temporary file of a save; removed unless committed.
class PendingFile {
public:
    PendingFile(std::FILE* file, std::string path) : file_(file), path_(std::move(path)) {}
    ~PendingFile()
    {
        if (file_)
            std::fclose(file_);
        if (!committed_)
            ::unlink(path_.c_str());
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    std::FILE* file() const { return file_; }

    // Flushes, syncs and closes the file, then renames it over `target`.
    bool commit(const std::string& target)
    {
        bool written = std::fflush(file_) == 0 && ::fsync(::fileno(file_)) == 0;
        written = std::fclose(file_) == 0 && written;
        file_ = nullptr;
        if (!written || ::rename(path_.c_str(), target.c_str()) != 0)
            return false;
        committed_ = true;
        syncFolderOf(target);
        return true;
    }

private:
    std::FILE* file_;
    std::string path_;
    bool committed_ = false;
};

// The file keeps duplicate groups only as stripes: consecutive records of
// one colour and one size. Where two groups of one size touch with one
// colour (a group between them was removed from the list), the second is
// written with the other stripe colour, so that a load cannot merge them
// and offer to delete the last copy of a file as a "copy".
class StripeKeeper {
public:
    explicit StripeKeeper(const ResultList& list)
        : grouped_(list.kind() == ResultKind::Duplicates),
          stripe_(list.appearance().duplicatesColor),
          plain_(list.appearance().bkColor)
    {
    }

    Colour colourFor(const ResultRow& row, std::uint32_t size)
    {
        if (!grouped_)
            return row.backColour;
        Colour colour = row.backColour;
        if (started_ && row.group == group_)
            colour = colour_;
        else if (started_ && colour == colour_ && size == size_)
            colour = otherThan(colour);
        started_ = true;
        group_ = row.group;
        colour_ = colour;
        size_ = size;
        return colour;
    }

private:
    Colour otherThan(Colour colour) const
    {
        Colour other = colour == stripe_ ? plain_ : stripe_;
        return other != colour ? other : colour ^ 1;  // both stripes alike: one step off
    }

    bool grouped_;
    Colour stripe_;
    Colour plain_;
    bool started_ = false;
    std::uint32_t group_ = 0;
    Colour colour_ = 0;
    std::uint32_t size_ = 0;
};

// Progress shown for the duration of a job, hidden again on every way out.
class ShownProgress {
public:
    ShownProgress(Progress& progress, const char* title) : progress_(progress)
    {
        progress_.setAnimation(false);
        progress_.setTitle(title);
        progress_.show();
    }
    ~ShownProgress() { progress_.hide(); }
    ShownProgress(const ShownProgress&) = delete;
    ShownProgress& operator=(const ShownProgress&) = delete;

private:
    Progress& progress_;
};

}  // namespace

const char* sessionMessage(SessionStatus status)
{
    switch (status) {
    case SessionStatus::Ok:
    case SessionStatus::Cancelled:
        return "";
    case SessionStatus::CannotCreate:
    case SessionStatus::CannotOpen:
    case SessionStatus::WriteFailed:
        return text::CannotCreateFile;
    case SessionStatus::Damaged:
        return text::SessionDamaged;
    }
    return "";
}

const char* sessionListText(ResultKind kind)
{
    switch (kind) {
    case ResultKind::Duplicates:
        return text::SessionDuplicates;
    case ResultKind::BySize:
        return text::SessionBySize;
    case ResultKind::ByMask:
        return text::SessionByMask;
    case ResultKind::Old:
        return text::SessionOld;
    }
    return "";
}

void SessionWriter::put(const void* data, std::size_t size)
{
    if (ok_ && std::fwrite(data, 1, size, file_) != size)
        ok_ = false;
}

void SessionWriter::putU8(std::uint8_t value) { put(&value, 1); }

void SessionWriter::putU16(std::uint16_t value)
{
    const unsigned char bytes[2] = {static_cast<unsigned char>(value),
                                    static_cast<unsigned char>(value >> 8)};
    put(bytes, sizeof bytes);
}

void SessionWriter::putU32(std::uint32_t value)
{
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
        static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    put(bytes, sizeof bytes);
}

void SessionWriter::putString(std::string_view text)
{
    const std::size_t length = text.size();
    if (length < kLongLength) {
        putU8(static_cast<std::uint8_t>(length));
    } else if (length < kWideMarker) {
        putU8(kLongLength);
        putU16(static_cast<std::uint16_t>(length));
    } else {
        if (length > std::numeric_limits<std::uint32_t>::max()) {
            ok_ = false;
            return;
        }
        putU8(kLongLength);
        putU16(kLongerLength);
        putU32(static_cast<std::uint32_t>(length));
    }
    put(text.data(), length);
}

std::int64_t SessionWriter::offset() const { return ::ftello(file_); }

void SessionWriter::patchU32(std::int64_t offset, std::uint32_t value)
{
    if (!ok_)
        return;
    if (offset < 0 || ::fseeko(file_, offset, SEEK_SET) != 0) {
        ok_ = false;
        return;
    }
    putU32(value);
    if (::fseeko(file_, 0, SEEK_END) != 0)
        ok_ = false;
}

bool SessionReader::get(void* data, std::size_t size)
{
    if (size > remaining_)
        return false;
    if (std::fread(data, 1, size, file_) != size) {
        remaining_ = 0;
        return false;
    }
    remaining_ -= size;
    return true;
}

bool SessionReader::getU8(std::uint8_t& value) { return get(&value, 1); }

bool SessionReader::getU16(std::uint16_t& value)
{
    unsigned char bytes[2];
    if (!get(bytes, sizeof bytes))
        return false;
    value = static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
    return true;
}

bool SessionReader::getU32(std::uint32_t& value)
{
    unsigned char bytes[4];
    if (!get(bytes, sizeof bytes))
        return false;
    value = static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
            static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    return true;
}

bool SessionReader::getString(std::string& text)
{
    std::uint8_t first = 0;
    if (!getU8(first))
        return false;
    std::uint64_t length = first;
    if (first == kLongLength) {
        std::uint16_t word = 0;
        if (!getU16(word) || word == kWideMarker)
            return false;
        length = word;
        if (word == kLongerLength) {
            std::uint32_t dword = 0;
            if (!getU32(dword))
                return false;
            length = dword;
        }
    }
    if (length > remaining_)
        return false;
    std::string read(static_cast<std::size_t>(length), '\0');
    if (!get(read.data(), read.size()))
        return false;
    text = std::move(read);
    return true;
}

SessionStatus writeListBlock(const ResultList& list, SessionWriter& out, Progress& progress,
                             const std::function<void()>& started)
{
    if (list.empty()) {
        out.putU32(0);
        return out.ok() ? SessionStatus::Ok : SessionStatus::WriteFailed;
    }
    if (started)
        started();
    progress.setRange(0, list.size());
    const std::int64_t countAt = out.offset();
    out.putU32(0);
    std::uint32_t written = 0;
    bool cancelled = false;
    StripeKeeper stripes(list);
    for (const ResultRow& row : list.rows()) {
        if (written == std::numeric_limits<std::uint32_t>::max())
            break;
        if (auto status = platform::statPath(row.path)) {
            const auto size = static_cast<std::uint32_t>(rowSize(*status));  // the field keeps 4 bytes
            out.putString(row.path);
            out.putU32(size);
            out.putU8(status->attributes);
            out.putU32(stripes.colourFor(row, size));
            ++written;
        }
        progress.step();
        if (!out.ok())
            return SessionStatus::WriteFailed;
        if (progress.cancelled()) {
            cancelled = true;
            break;
        }
    }
    out.patchU32(countAt, written);
    if (!out.ok())
        return SessionStatus::WriteFailed;
    return cancelled ? SessionStatus::Cancelled : SessionStatus::Ok;
}

SessionStatus readListBlock(ResultList& list, SessionReader& in, Progress& progress,
                            const std::function<void()>& started)
{
    std::uint32_t count = 0;
    if (!in.getU32(count))
        return SessionStatus::Damaged;
    if (count == 0)
        return SessionStatus::Ok;
    if (started)
        started();
    list.deleteAllRows();
    progress.setRange(0, count);
    // Duplicate groups are stored as the list draws them: consecutive rows
    // of one background stripe and one size. Numbering them again gives a
    // loaded list the same guards as a searched one.
    const bool grouped = list.kind() == ResultKind::Duplicates;
    std::uint32_t group = 0;
    std::uint32_t groupColour = 0;
    std::uint32_t groupSize = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string path;
        std::uint32_t size = 0;
        std::uint8_t attributes = 0;
        std::uint32_t backColour = 0;
        if (!in.getString(path) || !in.getU32(size) || !in.getU8(attributes) ||
            !in.getU32(backColour))
            return SessionStatus::Damaged;
        if (grouped && (group == 0 || backColour != groupColour || size != groupSize)) {
            ++group;
            groupColour = backColour;
            groupSize = size;
        }
        if (namesAFile(path)) {
            // The stored size is only the low 32 bits; the file knows better.
            auto status = platform::statPath(path);
            std::uint64_t current = status ? rowSize(*status) : size;
            list.addRow(path, attributes, current, backColour, 0, grouped ? group : 0);
        }
        progress.step();
        if (progress.cancelled())
            return SessionStatus::Cancelled;
    }
    return SessionStatus::Ok;
}

SessionStatus saveSession(const std::string& path, const ConstSessionLists& lists,
                          Progress& progress, const SessionListShown& shown)
{
    progress.cancel.store(false, std::memory_order_relaxed);
    if (path.empty())
        return SessionStatus::CannotCreate;
    const std::string target = resolvedTarget(path);
    if (target.empty())
        return SessionStatus::CannotCreate;
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    // Renaming over a folder, a device or a pipe would not write a file.
    if (exists && !S_ISREG(existing.st_mode))
        return SessionStatus::CannotCreate;

    std::string tempPath;
    int fd = createBeside(target, tempPath);
    if (fd < 0)
        return SessionStatus::CannotCreate;
    if (exists)
        ::fchmod(fd, existing.st_mode & 07777);
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        ::close(fd);
        ::unlink(tempPath.c_str());
        return SessionStatus::CannotCreate;
    }
    PendingFile pending(file, tempPath);
    std::setvbuf(file, nullptr, _IOFBF, kStreamBuffer);

    ShownProgress shownProgress(progress, text::SavingResults);
    if (progress.cancelled())
        return SessionStatus::Cancelled;
    SessionWriter out(file);
    for (ResultKind kind : kSessionOrder) {
        progress.setPhase(sessionListText(kind));
        SessionStatus status = writeListBlock(*lists[static_cast<std::size_t>(kind)], out, progress,
                                              [&] {
                                                  if (shown)
                                                      shown(kind);
                                              });
        if (status != SessionStatus::Ok)
            return status;
        if (progress.cancelled())
            return SessionStatus::Cancelled;
    }
    return pending.commit(target) ? SessionStatus::Ok : SessionStatus::WriteFailed;
}

SessionStatus saveSession(const std::string& path, const ResultSet& results, Progress& progress,
                          const SessionListShown& shown)
{
    ConstSessionLists lists{};
    for (int k = 0; k < kResultKindCount; ++k)
        lists[static_cast<std::size_t>(k)] = &results.list(static_cast<ResultKind>(k));
    return saveSession(path, lists, progress, shown);
}

SessionStatus loadSession(const std::string& path, const SessionLists& lists, Progress& progress,
                          const SessionListShown& shown, const SessionListShown& filled)
{
    progress.cancel.store(false, std::memory_order_relaxed);
    // Non-blocking so that a FIFO given as the file cannot hang the open.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return SessionStatus::CannotOpen;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return SessionStatus::CannotOpen;
    }
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        ::close(fd);
        return SessionStatus::CannotOpen;
    }
    std::setvbuf(file, nullptr, _IOFBF, kStreamBuffer);
    SessionReader in(file, static_cast<std::uint64_t>(st.st_size));

    SessionStatus status = SessionStatus::Ok;
    {
        ShownProgress shownProgress(progress, text::LoadingResults);
        if (progress.cancelled())
            status = SessionStatus::Cancelled;
        for (ResultKind kind : kSessionOrder) {
            if (status != SessionStatus::Ok)
                break;
            progress.setPhase(sessionListText(kind));
            bool started = false;
            status = readListBlock(*lists[static_cast<std::size_t>(kind)], in, progress, [&] {
                started = true;
                if (shown)
                    shown(kind);
            });
            if (status == SessionStatus::Ok && progress.cancelled())
                status = SessionStatus::Cancelled;
            if (status == SessionStatus::Ok && started && filled)
                filled(kind);
        }
        // Nothing follows the fourth block in a file this program wrote.
        if (status == SessionStatus::Ok && in.remaining() != 0)
            status = SessionStatus::Damaged;
    }
    std::fclose(file);
    return status;
}

SessionStatus loadSession(const std::string& path, ResultSet& results, Progress& progress,
                          const SessionListShown& shown)
{
    SessionLists lists{};
    for (int k = 0; k < kResultKindCount; ++k)
        lists[static_cast<std::size_t>(k)] = &results.list(static_cast<ResultKind>(k));
    return loadSession(path, lists, progress, shown);
}

}  // namespace dw
