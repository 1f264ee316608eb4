#include "cli/cli_run.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

extern char** environ;

namespace dwtest {

namespace {

std::vector<std::string> mergedEnvironment(const std::vector<std::string>& overrides)
{
    std::vector<std::string> result;
    for (char** entry = environ; *entry; ++entry) {
        std::string variable = *entry;
        const std::string name = variable.substr(0, variable.find('=') + 1);
        bool replaced = false;
        for (const std::string& other : overrides)
            replaced = replaced || other.compare(0, name.size(), name) == 0;
        if (!replaced)
            result.push_back(variable);
    }
    result.insert(result.end(), overrides.begin(), overrides.end());
    return result;
}

std::vector<char*> pointers(std::vector<std::string>& strings)
{
    std::vector<char*> result;
    for (auto& text : strings)
        result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

}  // namespace

CliRun runProgram(const TempTree& tree, const std::string& program, std::vector<std::string> args,
                  const CliEnvironment& environment)
{
    std::string outPath = tree.path("../") + "cli-out-" + std::to_string(::getpid());
    std::string errPath = outPath + ".err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (environment.input >= 0)
        posix_spawn_file_actions_adddup2(&actions, environment.input, 0);
    else
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    args.insert(args.begin(), program);
    std::vector<char*> argv = pointers(args);
    std::vector<std::string> variables = mergedEnvironment(environment.variables);
    std::vector<char*> envp = pointers(variables);
    pid_t pid = 0;
    CliRun run;
    if (posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = readFile(outPath);
    run.err = readFile(errPath);
    ::unlink(outPath.c_str());
    ::unlink(errPath.c_str());
    return run;
}

CliRun runCli(const TempTree& tree, std::vector<std::string> args, const CliEnvironment& environment)
{
    return runProgram(tree, DW_CLI_PATH, std::move(args), environment);
}

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> result;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string::npos)
            end = text.size();
        result.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return result;
}

}  // namespace dwtest
