#pragma once

#include "engine/operations/operation_prompts.h"
#include "engine/operations/source_check.h"
#include "engine/results/result_list.h"
#include "engine/settings/search_settings.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace dw {

struct FolderContents;

// Text colours the operations give rows (0x00BBGGRR).
inline constexpr Colour kUnusableRowColour = 0x0000FF;   // pure red: takes no part
inline constexpr Colour kCompressedRowColour = 0xFF0000; // pure blue: just compressed

enum class FileOperation { Move = 1, Copy = 2, Delete = 3 };

// What an operation did with its paths.
struct OperationReport {
    bool ran = false;        // the user agreed and the work started
    bool cancelled = false;  // stopped by the user; later paths were not touched
    std::size_t done = 0;    // paths handled completely (a path already gone counts)
    // Paths kept whole or in part, and paths refused: not clean, reached
    // through a link, or no longer naming the row's file.
    std::vector<std::string> left;
};

// The paths of one operation and the engine that deletes, copies and moves
// them; each results list owns one. Questions go through `prompts`; nothing
// here shows anything. Every list operation starts from an empty path list
// and leaves it empty, whether it ran, was refused or was cancelled.
class FileOperations {
public:
    explicit FileOperations(OperationPrompts& prompts) : prompts_(prompts) {}

    void clear();
    // A source is acted on only while `path` (clean and absolute) still
    // names `expected`, found without following a link. A path with nothing
    // known about it is one entry of a list that names what a folder holds
    // before the folder: deleting it (for good or into the Trash) takes a
    // folder there only when it is empty, removed for good, so nothing the
    // caller never saw goes.
    void addSource(const std::string& path, const SourceIdentity& expected = {});
    void addDestination(const std::string& path);
    // Sets what runSystemOperation does; toRecycleBin matters for Delete only.
    void prepare(FileOperation operation, bool toRecycleBin);

    const std::vector<std::string>& sources() const { return sources_; }
    const std::vector<std::string>& destinations() const { return destinations_; }
    bool isPrepared() const { return prepared_; }

    // The system's way: Delete into the Trash (asking before a permanent delete
    // where a file system has none) or, without toRecycleBin, permanently;
    // Copy and Move into the one destination folder. Asks for confirmation
    // (delete) and about existing targets (copy, move) and shows progress.
    // Nothing runs unless prepared with sources (and one destination for
    // copy and move). Leaves the path lists as they are.
    OperationReport runSystemOperation();
    // The delete engine: with useSystem as runSystemOperation, otherwise the
    // own permanent delete after the count question. Clears the paths.
    OperationReport deletePaths(bool useSystem, bool toRecycleBin);

    // Puts the checked rows' paths into the sources, files before folders.
    // A row whose file is gone is passed over; a system folder or a file we
    // cannot delete (its folder is not writable and searchable for us, or
    // sticky and not ours) turns red and takes no part; so does a row whose
    // path is not clean, leads through a link or names another file now, and
    // the operation that follows reports it in `left`. Never writes to a
    // file. True when at least one path was taken.
    bool collectCheckedRows(ResultList& list);
    // Deletes the checked rows' files the way `settings` says (its Global
    // values are read now) and drops the rows whose files are gone. In the
    // duplicates list, checking every copy of a file asks first.
    OperationReport deleteChecked(ResultList& list, const SearchSettings& settings);
    // Deletes what lies inside the checked folder rows (or the selected row
    // when that finds nothing): exactly the entries listed and counted in the
    // question, each while it is still the entry listed. Entries of system
    // accounts other than ours stay, and so does every folder above one.
    // The folder rows stay; rows of files that went with the contents are
    // dropped.
    OperationReport deleteFolderContents(ResultList& list, std::optional<std::size_t> selectedRow,
                                         const SearchSettings& settings);
    // Copies or moves the checked rows' files into a folder the user chooses;
    // a move drops the rows whose files left.
    OperationReport copyChecked(ResultList& list);
    OperationReport moveChecked(ResultList& list);
    // Compresses the checked rows' files where their file system can (btrfs),
    // on the caller's thread: a compressed row turns blue and gets its new
    // size on disk. Files already compressed, folders and files on other file
    // systems are passed over. Returns how many were compressed.
    std::size_t compressChecked(ResultList& list, Progress& progress);
    // Removes the rows (all, or the checked ones) whose path no longer exists,
    // in one pass. Returns how many went.
    static std::size_t dropVanishedRows(ResultList& list, bool checkedOnly);

private:
    OperationReport deleteToTrash();
    OperationReport deleteOwn();
    OperationReport deleteContentsOwn(const std::vector<FolderContents>& folders);
    OperationReport transfer();
    OperationReport transferChecked(ResultList& list, OperationPrompts::Transfer kind);
    Progress& startProgress(const char* title, const char* phase);

    OperationPrompts& prompts_;
    std::vector<std::string> sources_;
    std::vector<SourceIdentity> identities_;  // one for each source
    std::vector<std::string> refused_;        // rows the collection refused
    std::vector<std::string> destinations_;
    FileOperation operation_ = FileOperation::Delete;
    bool toRecycleBin_ = false;
    bool prepared_ = false;
};

}  // namespace dw
