#include "engine/search/folder_walker.h"
#include "engine/settings/wildcard.h"

namespace dw {

bool matchesMask(std::string_view name, std::string_view mask)
{
    return wildcardMatch(wildcardName(name, true), wildcardCodePoints(mask, true));
}

}  // namespace dw
