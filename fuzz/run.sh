#!/usr/bin/env bash
# run.sh SOURCE_DIR WORK_DIR SECONDS: builds the reader's fuzz target with clang and runs it for SECONDS on a
# copy of the seed drawings. Exit 77 (skipped) when clang is not installed.
set -euo pipefail
source_dir="$1"
work="$2"
seconds="$3"
clang=$(command -v clang++-14 || command -v clang++ || true)
if [ -z "$clang" ]; then
    echo "clang++ is not installed; apt-get install clang to run the fuzz target"
    exit 77
fi
cmake -S "$source_dir" -B "$work/build" -DVANTOREL_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_COMPILER="$clang" -DCMAKE_C_COMPILER="${clang/++/}" >/dev/null
cmake --build "$work/build" --target dxf_reader_fuzz -j"$(nproc)" >/dev/null
mkdir -p "$work/corpus"
cp -n "$source_dir"/fuzz/corpus/* "$source_dir"/examples/*.dxf "$work/corpus/" 2>/dev/null || true
# A case that runs longer than a second is a hang as far as a user is concerned.
ASAN_OPTIONS=detect_leaks=1 "$work/build/bin/dxf_reader_fuzz" -max_total_time="$seconds" -timeout=1 -rss_limit_mb=1024 \
    -max_len=65536 -print_final_stats=1 -artifact_prefix="$work/" "$work/corpus"
