#pragma once

// Helpers for the file-operation tests: scripted answers instead of dialogs
// and a progress that records and cancels on cue.

#include "engine/operations/file_operations_mounts.h"
#include "engine/operations/operation_prompts.h"
#include "engine/results/result_list.h"
#include "platform/file_status.h"

#include <deque>
#include <optional>
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
        if (cancelAfter && shownPaths.size() >= *cancelAfter)
            requestCancel();
    }
    void show() override { ++shows; }
    void hide() override { ++hides; }

    std::optional<std::size_t> cancelAfter;  // cancel once this many paths were shown
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
        return answerYes;
    }
    bool confirmMoveToTrash(std::size_t count) override
    {
        trashCounts.push_back(count);
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

    std::vector<std::size_t> permanentCounts;
    std::vector<std::size_t> trashCounts;
    int allCopiesQuestions = 0;
    std::vector<std::string> noTrashPaths;
    std::vector<std::string> replaceTargets;
    std::vector<Transfer> chosenFor;
    RecordingProgress progressSink;

private:
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

}  // namespace dwtest
