#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (GUI tests headless).
set -euo pipefail
cd "$(dirname "$0")"

scripts/setup-deps.sh
jobs=$(nproc)

cmake --preset default -DTARVINE_WERROR=ON -DTARVINE_BUILD_APP=ON >/dev/null
cmake --build --preset default -j "$jobs"
ctest --preset default -j "$jobs"

# Everything again under AddressSanitizer and UndefinedBehaviorSanitizer.
cmake --preset asan -DTARVINE_WERROR=ON -DTARVINE_BUILD_APP=ON >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs"

# Every libFuzzer target for a minute from the checked-in seeds.
scripts/fuzz.sh 60
