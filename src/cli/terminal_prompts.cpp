#include "cli/terminal_prompts.h"

#include <unistd.h>

namespace dw::cli {

TerminalPrompts::TerminalPrompts(bool allowAllCopies)
    : allowAllCopies_(allowAllCopies), progress_(::isatty(STDERR_FILENO) != 0)
{
}

bool TerminalPrompts::confirmPermanentDelete(std::size_t) { return true; }

bool TerminalPrompts::confirmMoveToTrash(std::size_t) { return true; }

bool TerminalPrompts::confirmDeleteAllCopies() { return allowAllCopies_; }

OperationPrompts::NoTrash TerminalPrompts::askDeleteWithoutTrash(const std::string& path)
{
    withoutTrash_.push_back(path);
    return NoTrash::Skip;
}

OperationPrompts::Conflict TerminalPrompts::askReplace(const std::string&, const std::string&)
{
    return Conflict::Skip;
}

std::optional<std::string> TerminalPrompts::chooseFolder(Transfer) { return std::nullopt; }

bool askYes(const std::string& question, std::istream& in, std::ostream& out)
{
    out << question << " [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(in, answer))
        return false;
    static const std::string kYes[] = {"y", "Y", "д", "Д"};
    for (const std::string& yes : kYes)
        if (answer.compare(0, yes.size(), yes) == 0)
            return true;
    return false;
}

}  // namespace dw::cli
