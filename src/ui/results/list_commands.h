#pragma once

// What the results list's file commands share between its two source files.

#include "engine/operations/file_operations.h"
#include "ui/results/gui_prompts.h"
#include "ui/results/results_list_ctrl.h"
#include "ui/search/progress_dialog.h"

#include <thread>

namespace dw::ui {

// Compression on a worker thread. The worker gets copies of the checked rows,
// so the list stays the GUI thread's alone; the results are written back by
// path when the worker is done. Progress texts travel to the GUI thread as
// queued calls and reach the shared window there while it exists; the
// position and the cancel flag are exchanged with it on every text.
class ResultsListCtrl::CompressJob : public dw::Progress {
public:
    // Compression asks nothing, but FileOperations wants someone to ask.
    CompressJob(ResultsListCtrl* list, OperationPrompts* prompts)
        : list_(list),
          dialogs_(prompts ? nullptr
                           : std::make_unique<GuiPrompts>(list->window(), list->folderStore(),
                                                          GuiPrompts::DeleteStyle::Desktop)),
          operations_(prompts ? *prompts : *dialogs_)
    {
    }

    // Runs on the worker.
    void run() { compressed = operations_.compressChecked(rows, *this); }

    void setTitle(const std::string& text) override { relay(&Progress::setTitle, text); }
    void setPhase(const std::string& text) override { relay(&Progress::setPhase, text); }
    void setFolder(const std::string& text) override { relay(&Progress::setFolder, text); }

    ResultList rows;
    std::vector<std::size_t> origin;  // the rows' indexes in the list
    std::size_t compressed = 0;
    std::thread worker;

protected:
    void rangeChanged(std::uint64_t lower, std::uint64_t upper) override
    {
        QMetaObject::invokeMethod(
            list_,
            [list = list_, lower, upper] {
                if (list->progressWindow_)
                    list->progressWindow_->progress().setRange(lower, upper);
            },
            Qt::QueuedConnection);
    }

private:
    void relay(void (Progress::*set)(const std::string&), const std::string& text)
    {
        QMetaObject::invokeMethod(
            list_, [list = list_, set, text] { list->relayProgress(set, text); },
            Qt::QueuedConnection);
    }

    ResultsListCtrl* list_;
    std::unique_ptr<GuiPrompts> dialogs_;
    FileOperations operations_;
};

}  // namespace dw::ui
