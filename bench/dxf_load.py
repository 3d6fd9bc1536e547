"""Side by side: our reader against ezdxf on a big drawing (40 blocks, 200,000 references).

    /usr/bin/python3 bench/dxf_load.py BUILD_DIR

Makes the drawing once (BUILD_DIR/bench/big.dxf), then times ezdxf's readfile plus counting the INSERTs of
model space by lower-cased name, and our dxf_load_bench doing the same five times in one process: its first
load pays for memory the process has never touched, the later ones show the reader itself.
"""
import collections
import gc
import os
import re
import resource
import subprocess
import sys
import time

import ezdxf


def make(path):
    doc = ezdxf.new("R2018")
    for b in range(40):
        block = doc.blocks.new(f"PART{b:02d}")
        block.add_line((0, 0), (1, 1))
        block.add_attdef("PRICE", (0, 1)).dxf.text = "1.00"
    msp = doc.modelspace()
    for i in range(200_000):
        msp.add_blockref(f"part{i % 40:02d}" if i % 3 else f"PART{i % 40:02d}", (i % 1000, i // 1000))
    doc.saveas(path)


def main(build):
    path = os.path.join(build, "bench", "big.dxf")
    if not os.path.exists(path):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        make(path)
    size = os.path.getsize(path) / 1e6
    start = time.perf_counter()
    doc = ezdxf.readfile(path)
    counts = collections.Counter(e.dxf.name.lower() for e in doc.modelspace().query("INSERT"))
    theirs = time.perf_counter() - start
    peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024
    print(f"ezdxf: {sum(counts.values())} references of {len(counts)} blocks in {theirs:.3f} s, "
          f"{size / theirs:.1f} MB/s, peak memory {peak:.1f} MB (file {size:.1f} MB)")
    # ezdxf's drawing is done with: give its memory back before our turn, so that our process does not run
    # beside a third of a gigabyte that nobody uses any more.
    del doc
    gc.collect()
    runs = 5
    start = time.perf_counter()
    out = subprocess.run([os.path.join(build, "bin", "dxf_load_bench"), path, str(runs)], capture_output=True,
                         text=True)
    whole = time.perf_counter() - start
    report = out.stdout.strip() or out.stderr.strip()
    print(report)
    found = re.search(r"in ([0-9.]+) s \(first of \d+ runs; best ([0-9.]+) s", report)
    if not found:
        return 1
    first, best = float(found.group(1)), float(found.group(2))
    print(f"ezdxf / ours: {theirs / first:.0f} times on our first load in a fresh process, "
          f"{theirs / best:.0f} times at our best; {runs} loads with process start and exit took {whole:.3f} s")
    return 0

if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
