#pragma once

#include "engine/results/result_list.h"
#include "engine/results/result_set.h"
#include "engine/search/progress.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace dw {

// A session file keeps the four lists: per list a 32-bit count and that many
// records of path (counted string), size (low 32 bits), attributes (1 byte)
// and background colour (32 bits), little-endian, lists in the order
// duplicates, by size, by mask, by date. No header, nothing after the fourth.

enum class SessionStatus {
    Ok,
    Cancelled,     // stopped at the user's request
    CannotCreate,  // the file (or its temporary twin) could not be created
    CannotOpen,    // the file could not be opened for reading
    WriteFailed,   // writing, flushing or renaming into place failed
    Damaged,       // the file ends early or holds an impossible length
};

// The message a window shows for `status`; "" for Ok and Cancelled.
const char* sessionMessage(SessionStatus status);

// The lists in file order, and the progress text for each.
inline constexpr std::array<ResultKind, kResultKindCount> kSessionOrder{
    ResultKind::Duplicates, ResultKind::BySize, ResultKind::ByMask, ResultKind::Old};
const char* sessionListText(ResultKind kind);

// Little-endian numbers and counted strings onto a stdio stream. The first
// failure sticks; ok() tells.
class SessionWriter {
public:
    explicit SessionWriter(std::FILE* file) : file_(file) {}
    void putU8(std::uint8_t value);
    void putU16(std::uint16_t value);
    void putU32(std::uint32_t value);
    // A length of 1 byte below 255, else 0xFF and 2 bytes up to 65533, else
    // 0xFF 0xFF 0xFF and 4 bytes; then the bytes as they are.
    void putString(std::string_view text);
    // Overwrites the 32-bit value at `offset` and returns to the end.
    void patchU32(std::int64_t offset, std::uint32_t value);
    std::int64_t offset() const;
    bool ok() const { return ok_; }

private:
    void put(const void* data, std::size_t size);

    std::FILE* file_;
    bool ok_ = true;
};

// Reads what SessionWriter writes; every get fails (and leaves the value
// alone) when the file holds fewer bytes than asked for, so a length field
// never makes the reader allocate more than the file can hold.
class SessionReader {
public:
    SessionReader(std::FILE* file, std::uint64_t fileSize) : file_(file), remaining_(fileSize) {}
    bool getU8(std::uint8_t& value);
    bool getU16(std::uint16_t& value);
    bool getU32(std::uint32_t& value);
    // Accepts all three length forms.
    bool getString(std::string& text);
    std::uint64_t remaining() const { return remaining_; }

private:
    bool get(void* data, std::size_t size);

    std::FILE* file_;
    std::uint64_t remaining_;
};

// Writes the block of one list: one record per row whose path lstat() can
// still read (current size and attributes, the row's background colour);
// rows whose file is gone are left out of the records and the count. Steps
// the progress per row and stops at a cancel (the count then tells how many
// records were written). `started` is called first when the list has rows.
SessionStatus writeListBlock(const ResultList& list, SessionWriter& out, Progress& progress,
                             const std::function<void()>& started = {});

// Reads one block. A count of 0 leaves the list as it is; otherwise its rows
// are replaced by one addRow per record, with the file's current size when
// the file exists and the stored size when not. A path that is not clean
// and absolute (a ".", ".." or empty component) or holds a NUL byte names
// no file and adds no row. Rows of the duplicates list get their group
// numbers back (from 1: consecutive records of one background colour and
// one size). Stops after the record at which a cancel comes; on Damaged the
// rows read so far stay.
SessionStatus readListBlock(ResultList& list, SessionReader& in, Progress& progress,
                            const std::function<void()>& started = {});

// The lists by ResultKind; none may be null.
using SessionLists = std::array<ResultList*, kResultKindCount>;
using ConstSessionLists = std::array<const ResultList*, kResultKindCount>;
// Called with the kind of a list whose block is about to be written or
// filled, so that a window can show its page.
using SessionListShown = std::function<void(ResultKind)>;

// Writes the four lists to a temporary file beside `path` and renames it
// into place after fsync, so that a cancel or a failure leaves the previous
// file as it was and no temporary file behind. A symbolic link at `path` is
// written through, also when it dangles (the file it names is created; no
// folder for it: CannotCreate), and never replaced; the mode of an
// existing file is kept. Clears the cancel flag
// first, then reports through `progress` (title, phase per list, range,
// steps).
SessionStatus saveSession(const std::string& path, const ConstSessionLists& lists,
                          Progress& progress, const SessionListShown& shown = {});
SessionStatus saveSession(const std::string& path, const ResultSet& results, Progress& progress,
                          const SessionListShown& shown = {});

// Reads the four lists from `path` (a regular file). On a cancel the lists
// read so far keep their new rows and the others their old ones; on Damaged
// (the file ends early, holds an impossible length or has bytes after the
// fourth block) what was read before the fault stays. `filled` is called with
// the kind of each list whose rows the file replaced and whose block was read
// whole.
SessionStatus loadSession(const std::string& path, const SessionLists& lists, Progress& progress,
                          const SessionListShown& shown = {},
                          const SessionListShown& filled = {});
SessionStatus loadSession(const std::string& path, ResultSet& results, Progress& progress,
                          const SessionListShown& shown = {});

}  // namespace dw
