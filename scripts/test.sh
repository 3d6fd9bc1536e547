#!/usr/bin/env bash
# Builds and runs the whole test suite: a plain build, an address+undefined sanitizer build, and the tests of
# what runs on several threads in a thread sanitizer build. "--plain" runs only the plain build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
ctest --test-dir build --output-on-failure -j"$(nproc)" -LE slow
if [ "${1:-}" != "--plain" ]; then
    scripts/build.sh build-asan -DVANTOREL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp \
        ctest --test-dir build-asan --output-on-failure -j"$(nproc)" -LE slow
    # Only what runs on several threads: the chunked drawing reader against the single one.
    # (gcc warns of a mismatched delete there that is not one; warnings are the plain build's business)
    cmake -S . -B build-tsan -DVANTOREL_WERROR=OFF -DVANTOREL_THREAD_SANITIZE=ON >/dev/null
    cmake --build build-tsan -j"$(nproc)" --target chunked_read_property
    TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan --output-on-failure -R '^ChunkedReadProperty$'
fi
