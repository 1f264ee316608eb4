#include "engine/search/read_order.h"

#include <algorithm>
#include <numeric>

namespace dw {

std::vector<std::size_t> diskOrder(const std::vector<std::uint64_t>& devices,
                                   const std::vector<std::uint64_t>& positions)
{
    std::vector<std::size_t> order(devices.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return devices[a] != devices[b] ? devices[a] < devices[b] : positions[a] < positions[b];
    });
    return order;
}

}  // namespace dw
