#include "engine/settings/wildcard.h"

#include <QList>
#include <QString>

#include <algorithm>

namespace dw {

std::u32string wildcardCodePoints(std::string_view text, bool upper)
{
    bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) {
        std::u32string out(text.size(), U'\0');
        for (std::size_t i = 0; i < text.size(); ++i) {
            char c = text[i];
            if (upper && c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
            out[i] = static_cast<char32_t>(c);
        }
        return out;
    }
    QString string = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (upper)
        string = string.toUpper();
    QList<uint> ucs4 = string.toUcs4();
    return std::u32string(ucs4.begin(), ucs4.end());
}

std::u32string wildcardName(std::string_view name, bool upper)
{
    std::u32string points = wildcardCodePoints(name, upper);
    if (points.find(U'.') == std::u32string::npos)
        points.push_back(U'.');
    return points;
}

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

}  // namespace dw
