#!/usr/bin/env bash
# run.sh SOURCE_DIR WORK_DIR SECONDS TARGET: builds a fuzz target (dxf_reader_fuzz, catalog_reader_fuzz,
# settings_reader_fuzz) with clang and runs it for SECONDS on a copy of its seeds (fuzz/corpus/dxf,
# .../catalog, .../settings). Exit 77 (skipped) when clang is not installed.
set -euo pipefail
source_dir="$1"
work="$2"
seconds="$3"
target="$4"
clang=$(command -v clang++-14 || command -v clang++ || true)
if [ -z "$clang" ]; then
    echo "clang++ is not installed; apt-get install clang to run the fuzz targets"
    exit 77
fi
seeds="${target%_reader_fuzz}"
cmake -S "$source_dir" -B "$work/build" -DVANTOREL_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_COMPILER="$clang" -DCMAKE_C_COMPILER="${clang/++/}" >/dev/null
cmake --build "$work/build" --target "$target" -j"$(nproc)" >/dev/null
mkdir -p "$work/corpus-$seeds"
cp -n "$source_dir/fuzz/corpus/$seeds"/* "$work/corpus-$seeds/" 2>/dev/null || true
if [ "$seeds" = dxf ]; then
    cp -n "$source_dir"/examples/*.dxf "$work/corpus-$seeds/" 2>/dev/null || true
fi
# A case that runs longer than a second is a hang as far as a user is concerned.
ASAN_OPTIONS=detect_leaks=1 "$work/build/bin/$target" -max_total_time="$seconds" -timeout=1 -rss_limit_mb=1024 \
    -max_len=65536 -print_final_stats=1 -artifact_prefix="$work/$target-" "$work/corpus-$seeds"
