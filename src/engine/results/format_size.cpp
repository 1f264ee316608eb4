#include "engine/results/result_list.h"

#include <algorithm>
#include <charconv>
#include <iterator>

namespace dw {

std::string FormatSize(std::uint64_t bytes, int decimals)
{
    static constexpr const char* kUnits[] = {"", " KB", " MB", " GB", " TB", " PB", " EB"};
    double x = static_cast<double>(bytes);
    std::size_t unit = 0;
    while (x > 1000 && unit + 1 < std::size(kUnits)) {
        x /= 1024;
        ++unit;
    }
    // to_chars, not printf: the C library's locale may want a decimal comma.
    char buffer[64];
    auto result = std::to_chars(std::begin(buffer), std::end(buffer), x, std::chars_format::fixed,
                                std::clamp(decimals, 0, 20));
    std::string text(buffer, result.ptr);
    if (text.back() == '0' && text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.')
            text.pop_back();
    }
    return text + kUnits[unit];
}

}  // namespace dw
