#pragma once

#include <string>

namespace dw::cli {

// `folder` made absolute against the working folder and cleaned as text
// ("//", "." and ".." folded, no link followed), ending with '/'. The bytes
// of each name are kept as given: a name that is not valid UTF-8 still
// names the same folder.
std::string absoluteFolder(const std::string& folder);

}  // namespace dw::cli
