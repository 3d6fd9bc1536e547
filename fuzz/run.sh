#!/usr/bin/env bash
# run.sh SOURCE_DIR WORK_DIR SECONDS [TARGET...]: builds the fuzz targets with clang and runs each for SECONDS on a
# copy of its seeds (fuzz/corpus/NAME for NAME_reader_fuzz), one after the other; with no TARGET, every one of
# them: dxf_reader_fuzz (ASCII drawings), dxf_binary_reader_fuzz, dxf_chunked_reader_fuzz (the chunked reader
# against the single one), catalog_reader_fuzz, settings_reader_fuzz, widths_reader_fuzz, text_fuzz, dxf_plot_fuzz
# (the renderer on every drawing the reader accepts), price_sheet_fuzz (CSV and XLSX price lists). What a target finds is
# left as WORK_DIR/TARGET-crash-..., and the run ends with 1. Exit 77 (skipped) when clang is not installed.
set -euo pipefail
source_dir="$1"
work="$2"
seconds="$3"
shift 3
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(dxf_reader_fuzz dxf_binary_reader_fuzz dxf_chunked_reader_fuzz catalog_reader_fuzz settings_reader_fuzz
             widths_reader_fuzz text_fuzz dxf_plot_fuzz price_sheet_fuzz)
fi
clang=$(command -v clang++-14 || command -v clang++ || true)
if [ -z "$clang" ]; then
    echo "clang++ is not installed; apt-get install clang to run the fuzz targets"
    exit 77
fi
cmake -S "$source_dir" -B "$work/build" -DVANTOREL_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_COMPILER="$clang" -DCMAKE_C_COMPILER="${clang/++/}" >/dev/null
cmake --build "$work/build" --target "${targets[@]}" -j"$(nproc)" >/dev/null
status=0
for target in "${targets[@]}"; do
    seeds="${target%_fuzz}"
    seeds="${seeds%_reader}"
    mkdir -p "$work/corpus-$seeds"
    cp -n "$source_dir/fuzz/corpus/$seeds"/* "$work/corpus-$seeds/" 2>/dev/null || true
    if [ "$seeds" = dxf ] || [ "$seeds" = dxf_chunked ]; then
        cp -n "$source_dir"/examples/*.dxf "$work/corpus-$seeds/" 2>/dev/null || true
    fi
    echo "== $target: $seconds s"
    # A case that runs longer than a second is a hang as far as a user is concerned.
    # The font libraries' caches, which live as long as the process, are theirs: the tests' suppressions apply.
    ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions="$source_dir/tests/lsan.supp" "$work/build/bin/$target" -max_total_time="$seconds" -timeout=1 -rss_limit_mb=1024 \
        -max_len=65536 -print_final_stats=1 -artifact_prefix="$work/$target-" "$work/corpus-$seeds" || status=1
done
exit $status
