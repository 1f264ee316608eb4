#pragma once

// Helpers for the file-operation tests: scripted answers instead of dialogs
// and a progress that records and cancels on cue.

#include "engine/operations/file_operations_mounts.h"
#include "engine/operations/own_delete.h"
#include "engine/operations/operation_prompts.h"
#include "engine/results/result_list.h"
#include "platform/file_status.h"
#include "support/temp_tree.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace dwtest {

class RecordingProgress : public dw::Progress {
public:
    void setTitle(const std::string& text) override { title = text; }
    void setPhase(const std::string& text) override { phase = text; }
    void setFolder(const std::string& text) override
    {
        if (text.empty())
            return;
        shownPaths.push_back(text);
        if (onShow)
            onShow(text);
        if (cancelAfter && shownPaths.size() >= *cancelAfter)
            requestCancel();
    }
    void show() override { ++shows; }
    void hide() override { ++hides; }

    std::optional<std::size_t> cancelAfter;  // cancel once this many paths were shown
    // Called with each path shown: lets a test change the files mid-operation.
    std::function<void(const std::string&)> onShow;
    std::string title;
    std::string phase;
    std::vector<std::string> shownPaths;
    int shows = 0;
    int hides = 0;
};

class ScriptedPrompts : public dw::OperationPrompts {
public:
    bool confirmPermanentDelete(std::size_t count) override
    {
        permanentCounts.push_back(count);
        whileAsking();
        return answerYes;
    }
    bool confirmMoveToTrash(std::size_t count) override
    {
        trashCounts.push_back(count);
        whileAsking();
        return answerYes;
    }
    bool confirmDeleteAllCopies() override
    {
        ++allCopiesQuestions;
        return allCopiesAnswer;
    }
    NoTrash askDeleteWithoutTrash(const std::string& path) override
    {
        noTrashPaths.push_back(path);
        return next(noTrashAnswers, NoTrash::Cancel);
    }
    Conflict askReplace(const std::string& source, const std::string& target) override
    {
        (void)source;
        replaceTargets.push_back(target);
        whileAsking();
        return next(replaceAnswers, Conflict::Cancel);
    }
    std::optional<std::string> chooseFolder(Transfer transfer) override
    {
        chosenFor.push_back(transfer);
        return folder;
    }
    dw::Progress& progress() override { return progressSink; }

    bool answerYes = true;
    bool allCopiesAnswer = true;
    std::deque<NoTrash> noTrashAnswers;
    std::deque<Conflict> replaceAnswers;
    std::optional<std::string> folder;
    // Runs while a question is open: the files may change before the answer.
    std::function<void()> onQuestion;

    std::vector<std::size_t> permanentCounts;
    std::vector<std::size_t> trashCounts;
    int allCopiesQuestions = 0;
    std::vector<std::string> noTrashPaths;
    std::vector<std::string> replaceTargets;
    std::vector<Transfer> chosenFor;
    RecordingProgress progressSink;

private:
    void whileAsking()
    {
        if (onQuestion)
            onQuestion();
    }
    template <typename T>
    static T next(std::deque<T>& answers, T fallback)
    {
        if (answers.empty())
            return fallback;
        T answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// Appends a row for `path` as the search would, checked unless told otherwise.
inline void addRow(dw::ResultList& list, const std::string& path, bool checked = true,
                   std::uint32_t group = 0)
{
    auto status = dw::platform::statPath(path);
    if (list.addRow(path, status ? status->attributes : dw::attr::Archive,
                    status ? status->size : 0, 0, 0, group))
        list.setChecked(list.size() - 1, checked);
}

// Puts a new file with `content` in the place of `path` by renaming it over:
// the old file is still there when the new one is made, so the inode differs.
inline void replaceFile(const std::string& path, const std::string& content)
{
    const std::string fresh = path + ".fresh";
    FILE* file = std::fopen(fresh.c_str(), "wb");
    ASSERT_NE(file, nullptr) << fresh;
    std::fwrite(content.data(), 1, content.size(), file);
    std::fclose(file);
    ASSERT_EQ(std::rename(fresh.c_str(), path.c_str()), 0) << path;
}

// Appends a row for `path` as a search makes it: with the file's device and
// inode, checked unless told otherwise.
inline void addSearchedRow(dw::ResultList& list, const std::string& path, bool checked = true,
                           std::uint32_t group = 0)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return;
    dw::FileEntry entry;
    entry.setPath(path);
    entry.size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
    entry.device = st.st_dev;
    entry.inode = st.st_ino;
    entry.attributes = dw::platform::attributesFrom(st, *entry.folder, entry.name);
    if (list.addRow(entry, 0, 0, group))
        list.setChecked(list.size() - 1, checked);
}

// The contents of every regular file below `folder`: what a cancelled
// removal must still have, wherever it ended up.
inline std::set<std::string> contentsOfFilesBelow(const std::string& folder)
{
    std::set<std::string> contents;
    for (const std::string& path : dw::listFolderContents(folder)) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            contents.insert(readFile(path));
    }
    return contents;
}

}  // namespace dwtest

// For checks run once per cancel point: returns what failed, naming the
// point (`cancelAfter` in the caller), instead of stopping the test.
#define CHECK_AT_CANCEL_POINT(condition)                                                                  \
    do {                                                                                         \
        if (!(condition))                                                                        \
            return "cancelled after " + std::to_string(cancelAfter) + ": failed " #condition; \
    } while (false)
