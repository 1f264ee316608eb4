#!/usr/bin/env bash
# Builds Diskwright in release mode and starts it with the given arguments.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DDW_BUILD_TESTS=OFF
cmake --build build -j"$(nproc)"
if [ -x build/src/ui/diskwright ] && [ "${1:-}" != "--cli" ]; then
  exec build/src/ui/diskwright "$@"
fi
[ "${1:-}" = "--cli" ] && shift
exec build/src/cli/diskwright-cli "${@:-$HOME}"
