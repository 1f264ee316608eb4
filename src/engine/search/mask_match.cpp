#include "engine/search/folder_walker.h"
#include "engine/search/scan_list.h"

#include <QList>
#include <QString>

#include <algorithm>

namespace dw {

namespace {

bool isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Upper-cased code points, so that '?' stands for one character, not one byte.
std::u32string upperCodePoints(std::string_view text)
{
    if (isAscii(text)) {
        std::u32string out(text.size(), U'\0');
        for (std::size_t i = 0; i < text.size(); ++i) {
            char c = text[i];
            out[i] = static_cast<char32_t>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        }
        return out;
    }
    QList<uint> ucs4 =
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toUpper().toUcs4();
    return std::u32string(ucs4.begin(), ucs4.end());
}

// '*' matches any run, '?' one character; on a mismatch after a '*' the match
// resumes one character further along the name. Linear in practice, never
// exponential.
bool wildcardMatch(const std::u32string& name, const std::u32string& mask)
{
    std::size_t n = 0, m = 0;
    std::size_t starMask = std::u32string::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == U'?' || mask[m] == name[n])) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == U'*') {
            starMask = m++;
            starName = n;
        } else if (starMask != std::u32string::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == U'*')
        ++m;
    return m == mask.size();
}

}  // namespace

bool matchesMask(std::string_view name, std::string_view mask)
{
    std::u32string upperName = upperCodePoints(name);
    if (upperName.find(U'.') == std::u32string::npos)
        upperName.push_back(U'.');
    return wildcardMatch(upperName, upperCodePoints(mask));
}

}  // namespace dw
