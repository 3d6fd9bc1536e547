"""The DWG path against its parts: converting each sample DWG (LibreDWG under node), reading the DXF it makes,
and `vantorel report` on the DWG itself, which should cost no more than the two together.

    /usr/bin/python3 bench/dwg_load.py BUILD_DIR [DWG...]

Each figure is the best of five runs, in milliseconds, with the largest resident set of the run.
"""
import os
import resource
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CONVERTER = os.path.join(ROOT, "platform", "cad", "dwg", "dwg2dxf.mjs")


def timed(command):
    best = None
    peak = 0
    for _ in range(5):
        start = time.perf_counter()
        subprocess.run(command, check=True, capture_output=True)
        elapsed = (time.perf_counter() - start) * 1000
        best = elapsed if best is None else min(best, elapsed)
        peak = max(peak, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)
    return best, peak // 1024


def main(build, drawings):
    vantorel = os.path.join(build, "bin", "vantorel")
    drawings = drawings or [os.path.join(ROOT, "tests", "data", "dwg", name)
                            for name in ("example_2018.dwg", "2010_gh209_1.dwg", "2000_entities-2d.dwg")]
    print(f"{'drawing':28} {'KB':>6} {'convert ms':>11} {'read DXF ms':>12} {'report DWG ms':>14} {'peak MB':>8}")
    with tempfile.TemporaryDirectory() as work:
        for drawing in drawings:
            dxf = os.path.join(work, os.path.basename(drawing) + ".dxf")
            convert, _ = timed(["node", CONVERTER, drawing, dxf])
            read, _ = timed([vantorel, "report", dxf])
            whole, peak = timed([vantorel, "report", drawing])
            size = os.path.getsize(drawing) // 1024
            print(f"{os.path.basename(drawing):28} {size:>6} {convert:>11.0f} {read:>12.0f} {whole:>14.0f} {peak:>8}")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2:])
