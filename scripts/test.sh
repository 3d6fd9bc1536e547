#!/usr/bin/env bash
# Builds and runs the whole test suite: a plain build and an address+undefined sanitizer build.
# "--plain" runs only the plain build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
ctest --test-dir build --output-on-failure -j"$(nproc)" -LE slow
if [ "${1:-}" != "--plain" ]; then
    scripts/build.sh build-asan -DVANTOREL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp \
        ctest --test-dir build-asan --output-on-failure -j"$(nproc)" -LE slow
fi
