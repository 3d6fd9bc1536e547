"""One report over 100 drawings: --jobs 1 against --jobs 2, and the peak memory against one drawing's.

    /usr/bin/python3 bench/many_drawings.py BUILD_DIR [COPIES]

Uses the drawing of bench/dxf_load.py (BUILD_DIR/bench/big.dxf, 200,000 references; made once), placed COPIES
times (100 by default) as links in a folder of their own, and the DWG samples as many times over.
"""
import os
import re
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
import dxf_load  # noqa: E402


def run(vantorel, drawings, jobs):
    start = time.perf_counter()
    out = subprocess.run(["/usr/bin/time", "-f", "peak %M KB", vantorel, "report", *drawings, "--jobs", str(jobs),
                          "--csv", "/tmp/vantorel-many-bench.csv"],
                         capture_output=True, text=True)
    elapsed = time.perf_counter() - start
    peak = re.search(r"peak (\d+) KB", out.stderr)
    if out.returncode != 0 or not peak:
        raise SystemExit(f"vantorel failed ({out.returncode}): {out.stderr[-500:]}")
    return elapsed, int(peak.group(1)) / 1024


def main(build, copies):
    big = os.path.join(build, "bench", "big.dxf")
    if not os.path.exists(big):
        os.makedirs(os.path.dirname(big), exist_ok=True)
        dxf_load.make(big)
    folder = os.path.join(build, "bench", "many")
    os.makedirs(folder, exist_ok=True)
    drawings = []
    for i in range(copies):
        link = os.path.join(folder, f"copy{i:03d}.dxf")
        if not os.path.exists(link):
            os.symlink(os.path.abspath(big), link)
        drawings.append(link)
    vantorel = os.path.join(build, "bin", "vantorel")
    one, one_peak = run(vantorel, drawings[:1], 1)
    print(f"1 drawing ({os.path.getsize(big) / 1e6:.0f} MB): {one:.2f} s, peak {one_peak:.0f} MB")
    for jobs in (1, 2):
        elapsed, peak = run(vantorel, drawings, jobs)
        print(f"{copies} drawings, --jobs {jobs}: {elapsed:.2f} s ({elapsed / copies:.3f} s a drawing), "
              f"peak {peak:.0f} MB")
    samples = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "data", "dwg")
    dwgs = [os.path.join(samples, name) for name in ("example_2018.dwg", "2010_gh209_1.dwg", "2000_entities-2d.dwg")]
    dwgs = (dwgs * (copies // len(dwgs) + 1))[:copies]
    for jobs in (1, 2):
        elapsed, peak = run(vantorel, dwgs, jobs)
        print(f"{copies} DWG samples, --jobs {jobs}: {elapsed:.2f} s, peak {peak:.0f} MB")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 100))
