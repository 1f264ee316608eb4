#pragma once

// The single steps of a copy or move, each on open folders: copying data,
// keeping attributes, and putting a finished file in place without ever
// clobbering a name that something else took meanwhile.

#include "engine/search/progress.h"

#include <sys/stat.h>

#include <string>

namespace dw::copy {

enum class Copied { Ok, Failed, Cancelled };

// Copies the rest of `in` to `out` in chunks, stopping at a cancel between them.
Copied copyData(int in, int out, const Progress* progress);

// Owner where we may (as cp -p), then mode, then times.
void keepAttributes(int fd, const struct stat& st);
void keepAttributesAt(int folderFd, const std::string& name, const struct stat& st, bool link);

// A name for a temporary that no one else uses: ".dw-part-PID-N".
std::string temporaryName();

bool sameFile(const struct stat& a, const struct stat& b);

enum class Placed { Done, Failed, CrossDevice };

// Renames `fromName` in `fromFd` to `toName` in `toFd`: onto a free name
// only (`replacing` null), or over the entry `replacing` describes and no
// other (a file that took the name since it was looked at stays where it is).
// CrossDevice when the two folders are on different file systems.
Placed placeEntry(int fromFd, const std::string& fromName, int toFd, const std::string& toName,
                  const struct stat* replacing);

}  // namespace dw::copy
