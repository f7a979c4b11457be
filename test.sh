#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test through CTest, each test program once.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh

jobs=${JOBS:-$(nproc)}
# Warnings are errors here, so that they stay at zero.
# The test programs labelled "sanitize" (core values, file formats, sound, the engine, the editor, the game's
# screens) are built and run only under the address and undefined-behaviour sanitizers, in build-sanitize/,
# together with one short headless start of the game and one of the editor on the sample content (tests/app);
# build/ builds and runs every other test.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVOLIN_WERROR=ON \
    -DTARVOLIN_SANITIZED_TESTS_ELSEWHERE=ON >/dev/null
cmake --build build -j "$jobs"

cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARVOLIN_SANITIZE=ON -DTARVOLIN_WERROR=ON \
    -DTARVOLIN_BENCHMARKS=OFF >/dev/null
cmake --build build-sanitize -j "$jobs" --target sanitized_tests

export SDL_AUDIODRIVER=dummy
status=0
# Mesa's software renderer draws on the calling thread. Programs that start Mesa also run without leak
# checking (tarvolin_test's GL option, and the two starts): LeakSanitizer's exit-time scan crashes now and
# then when it stops Mesa's threads as they wind down.
(cd build-sanitize && LP_NUM_THREADS=0 ctest -L sanitize --output-on-failure --no-label-summary -j "$jobs" >ctest-sanitize.log 2>&1) || status=$?
grep -E '% tests passed' build-sanitize/ctest-sanitize.log | sed 's/^/sanitizer run: /' || true
[ "$status" -eq 0 ] || { cat build-sanitize/ctest-sanitize.log; exit "$status"; }

(cd build && ctest --output-on-failure --no-label-summary -j "$jobs" 2>&1 | tee ctest.log) || status=$?
[ "$status" -eq 0 ] || exit "$status"

# Both runs together.
count() { sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\)$/\1 \2/p' "$1" | tail -n 1; }
read -r failed_s total_s <<<"$(count build-sanitize/ctest-sanitize.log)"
read -r failed_b total_b <<<"$(count build/ctest.log)"
echo "total: $((total_s + total_b - failed_s - failed_b)) passed, $((failed_s + failed_b)) failed"
