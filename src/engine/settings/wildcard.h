#pragma once

#include <string>
#include <string_view>

namespace dw {

// Wildcard masks as the mask search and the list filter use them: '*' any
// run of characters, '?' exactly one character (a code point, not a byte).

// The code points of UTF-8 `text`, upper-cased when asked (Cyrillic included).
std::u32string wildcardCodePoints(std::string_view text, bool upper);
// A file name prepared for matching: a name without a dot gets one appended,
// so "*.*" matches it too.
std::u32string wildcardName(std::string_view name, bool upper);
// Whole-name match; on a mismatch after a '*' it resumes one character further
// along the name, so it is never exponential.
bool wildcardMatch(const std::u32string& name, const std::u32string& mask);

}  // namespace dw
