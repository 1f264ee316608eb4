#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace dwtest {

// A folder under $TMPDIR that is removed with everything in it at the end of
// the test. Files created through it belong to an ordinary (non-system)
// account even when the tests run as root, so the walker treats them as a
// user's files.
class TempTree {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    // The root, ending with '/'.
    const std::string& root() const { return root_; }
    // root() + relative.
    std::string path(const std::string& relative) const { return root_ + relative; }

    // Creates the file (and missing folders) with `content`; returns its path.
    std::string write(const std::string& relative, const std::string& content);
    // Creates a file of `size` bytes filled from `seed` (same seed, same bytes).
    std::string writeSized(const std::string& relative, std::uint64_t size, unsigned seed);
    std::string mkdir(const std::string& relative);
    // Sets access (and modify) time to `secondsAgo` before now.
    void age(const std::string& relative, std::int64_t secondsAgo);
    // Gives the path to the ordinary account used for test files.
    void ownAsUser(const std::string& absolutePath);

    static uid_t userUid();
    static bool runningAsRoot();
    // Runs `body` in a child process as the ordinary account when the tests
    // run as root (so that permissions apply), else in this process. Returns
    // what `body` returned.
    static bool runAsUser(const std::function<bool()>& body);

private:
    std::string root_;
};

std::string readFile(const std::string& path);
// Deterministic pseudo-random bytes.
std::string makeBytes(std::uint64_t size, unsigned seed);

}  // namespace dwtest
