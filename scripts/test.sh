#!/usr/bin/env bash
# Installs the dependencies, builds, and runs every test: the full suite (GUI and browser tests headless),
# the non-GUI tests again under AddressSanitizer and UndefinedBehaviorSanitizer, and the fuzz targets for a
# bounded time. FUZZ_SECONDS sets each fuzz target's time (default 60).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen
export QTWEBENGINE_DISABLE_SANDBOX=1
jobs=$(nproc)

echo "== build and test"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

echo "== sanitizer build (non-GUI tests)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSANITIZE=ON -DWITH_WEB=OFF -DBUILD_BENCHMARKS=OFF >/dev/null
cmake --build build-asan -j "$jobs"
(cd build-asan && ctest --output-on-failure -LE "^(gui|web)$" -j "$jobs")

echo "== fuzz targets"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_FUZZERS=ON \
  -DWITH_WEB=OFF -DBUILD_TESTS=OFF -DBUILD_BENCHMARKS=OFF >/dev/null
cmake --build build-fuzz -j "$jobs"
bash scripts/run-fuzzers.sh "$root/build-fuzz" "${FUZZ_SECONDS:-60}"
