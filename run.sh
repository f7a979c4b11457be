#!/usr/bin/env bash
# Installs what is missing, builds, and starts the game on the generated sample content.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"

# The game runs in its install folder, the generated sample content, where it keeps "Tarvolin.cfg".
# --editor starts the engine's map editor instead, on the same content.
game="$PWD/build/app/tarvolin"
if [ "${1:-}" = "--editor" ]; then
    game="$PWD/build/app/tarvolin-editor"
    shift
fi
cd build/content
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$game" "$@"
fi
exec "$game" "$@"
