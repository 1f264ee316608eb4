#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dw {

// Positions 0..devices.size()-1 ordered by device, then by position (an
// inode number, which on the usual file systems follows the place of the
// data closely enough); equal keys keep their order.
std::vector<std::size_t> diskOrder(const std::vector<std::uint64_t>& devices,
                                   const std::vector<std::uint64_t>& positions);

}  // namespace dw
