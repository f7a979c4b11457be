#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh

jobs=${JOBS:-$(nproc)}
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"

# The test programs labelled "sanitize" (core values, file formats, sound) run a second time under the
# address and undefined-behaviour sanitizers, and so do one short headless start of the game and one of the
# editor on the sample content (tests/app).
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARVOLIN_SANITIZE=ON \
    -DTARVOLIN_BENCHMARKS=OFF >/dev/null
cmake --build build-sanitize -j "$jobs" --target sanitized_tests

export SDL_AUDIODRIVER=dummy
status=0
# Mesa's software renderer draws on the calling thread. Programs that start Mesa also run without leak
# checking (tarvolin_test's GL option, and the two starts): LeakSanitizer's exit-time scan crashes now and
# then when it stops Mesa's threads as they wind down.
(cd build-sanitize && LP_NUM_THREADS=0 ctest -L sanitize --output-on-failure --no-label-summary -j "$jobs" >ctest-sanitize.log 2>&1) || status=$?
tail -n 3 build-sanitize/ctest-sanitize.log | grep -v '^$' | sed 's/^/sanitizer run: /' || true
[ "$status" -eq 0 ] || { cat build-sanitize/ctest-sanitize.log; exit "$status"; }

cd build
exec ctest --output-on-failure --no-label-summary -j "$jobs"
