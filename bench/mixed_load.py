"""Reading a drawing of 1,000,000 mixed entities: ours cold and warm, the saved report's peak, and the peers.

    /usr/bin/python3 bench/mixed_load.py BUILD_DIR [--runs N] [--pause S] [--baseline REV] [--no-ezdxf]

Makes BUILD_DIR/bench/mixed.dxf once (bench/mixed_drawing.py, about 220 MB) and times whole processes, medians of
N runs (5 by default):
  - `vantorel blocks` cold (after a pause of S seconds, 8 by default, in which a virtual machine hands idle memory
    back to its host) and warm (right after), in pairs, with peak memory against the file's size;
  - `vantorel report --table 0,0 -o` (a table of the 200 blocks, the drawing saved), peak memory and what saving
    adds over loading;
  - with --baseline REV, the same for revision REV built in a worktree of its own, run alternately with ours, and
    its saved file compared with ours to the byte;
  - dime (Debian libdime-dev) and dxflib (libdxflib-dev) counting the references, built here from bench/peers;
  - ezdxf's count (about a minute), which every other count must equal.
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import mixed_drawing  # noqa: E402


def run(command):
    """Elapsed, user and system seconds and peak memory (MB) of one whole process, and its output."""
    start = time.perf_counter()
    with tempfile.TemporaryFile() as out:
        process = subprocess.Popen(command, stdout=out, stderr=subprocess.PIPE)
        _, status, usage = os.wait4(process.pid, 0)
        elapsed = time.perf_counter() - start
        process.returncode = os.waitstatus_to_exitcode(status)
        error = process.stderr.read().decode(errors="replace")
        process.stderr.close()
        if process.returncode != 0:
            raise SystemExit(f"{' '.join(command)} failed ({process.returncode}): {error[-500:]}")
        out.seek(0)
        text = out.read().decode(errors="replace")
    return {"s": elapsed, "user": usage.ru_utime, "sys": usage.ru_stime, "peak": usage.ru_maxrss / 1024, "out": text}


def median(runs, key):
    return statistics.median(r[key] for r in runs)


def our_counts(text):
    """Model-space references by block name from `vantorel blocks` (name in 32 columns, kind in 10, then numbers)."""
    counts = {}
    for line in text.splitlines()[1:]:
        numbers = line[44:].split()
        if numbers and int(numbers[0]) > 0:
            counts[line[:32].strip().upper()] = int(numbers[0])
    return counts


def pair_counts(text):
    counts = {}
    for line in text.splitlines():
        name, count = line.rsplit(" ", 1)
        counts[name.upper()] = int(count)
    return counts


def ezdxf_counts(drawing):
    script = ("import collections, sys, ezdxf\n"
              "doc = ezdxf.readfile(sys.argv[1])\n"
              "c = collections.Counter(e.dxf.name.upper() for e in doc.modelspace().query('INSERT'))\n"
              "print('\\n'.join(f'{n} {k}' for n, k in sorted(c.items())))\n")
    result = run(["/usr/bin/python3", "-c", script, drawing])
    return pair_counts(result["out"]), result


def build_peers(folder):
    peers = {}
    for name, package in (("dime", "dime"), ("dxflib", "dxflib")):
        binary = os.path.join(folder, f"{name}_count")
        source = os.path.join(HERE, "peers", f"{name}_count.cpp")
        flags = subprocess.run(["pkg-config", "--cflags", "--libs", package], capture_output=True, text=True)
        if flags.returncode != 0:
            print(f"{name}: not installed (apt-get install lib{package}-dev); left out")
            continue
        if not os.path.exists(binary) or os.path.getmtime(binary) < os.path.getmtime(source):
            subprocess.run(["g++", "-O2", "-o", binary, source, *flags.stdout.split()], check=True)
        peers[name] = binary
    return peers


def build_baseline(revision, folder):
    tree = os.path.join(folder, f"baseline-{revision}")
    if not os.path.exists(tree):
        subprocess.run(["git", "-C", HERE, "worktree", "add", "--detach", tree, revision], check=True,
                       capture_output=True)
    build = os.path.join(tree, "build")
    subprocess.run(["cmake", "-S", tree, "-B", build, "-DCMAKE_BUILD_TYPE=RelWithDebInfo"], check=True,
                   capture_output=True)
    subprocess.run(["cmake", "--build", build, "-j2", "--target", "vantorel_app", "vantorel"], check=True,
                   capture_output=True)
    return os.path.join(build, "bin", "vantorel")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--pause", type=float, default=8.0)
    parser.add_argument("--baseline")
    parser.add_argument("--no-ezdxf", action="store_true")
    o = parser.parse_args()

    folder = os.path.abspath(os.path.join(o.build, "bench"))
    os.makedirs(folder, exist_ok=True)
    drawing = os.path.join(folder, "mixed.dxf")
    if not os.path.exists(drawing):
        mixed_drawing.main(drawing, 1_000_000)
    size = os.path.getsize(drawing) / 2**20
    catalogue = os.path.join(folder, "mixed.prc")
    with open(catalogue, "w") as f:
        f.writelines(f"PART{b:03d}|{b}.50|Part number {b}\n" for b in range(200))
    programs = {"ours": os.path.abspath(os.path.join(o.build, "bin", "vantorel"))}
    if o.baseline:
        programs["baseline"] = build_baseline(o.baseline, folder)
    print(f"drawing: {drawing}, {size:.0f} MB; medians of {o.runs} runs")

    # Each cold run is followed at once by a warm one, so that both meet the machine in the same mood: a virtual
    # machine's speed wanders from minute to minute, and the ratio of a pair is steadier than a ratio of medians.
    warm = {name: [] for name in programs}
    cold = {name: [] for name in programs}
    ratios = {name: [] for name in programs}
    for name, vantorel in programs.items():
        run([vantorel, "blocks", drawing])  # the file in the cache, the program's pages too
    for _ in range(o.runs):
        for name, vantorel in programs.items():
            time.sleep(o.pause)
            cold[name].append(run([vantorel, "blocks", drawing]))
            warm[name].append(run([vantorel, "blocks", drawing]))
            ratios[name].append(cold[name][-1]["s"] / warm[name][-1]["s"])
    saved = {}
    reports = {name: [] for name in programs}
    for _ in range(max(1, o.runs // 2)):
        for name, vantorel in programs.items():
            target = os.path.join(folder, f"mixed-saved-{name}.dxf")
            reports[name].append(run([vantorel, "report", drawing, "--catalog", catalogue, "--table", "0,0",
                                      "-o", target]))
            saved[name] = target
    counts = {}
    for name in programs:
        w, c, r = warm[name], cold[name], reports[name]
        counts[name] = our_counts(w[0]["out"])
        load_peak = median(w, "peak")
        print(f"{name}: blocks warm {median(w, 's'):.2f} s (user {median(w, 'user'):.2f}, sys {median(w, 'sys'):.2f}),"
              f" cold {median(c, 's'):.2f} s (user {median(c, 'user'):.2f}, sys {median(c, 'sys'):.2f}),"
              f" cold/warm {statistics.median(ratios[name]):.2f} (median of the pairs)")
        print(f"{name}: load peak {load_peak:.0f} MB ({load_peak / size:.2f} x the file); report with a table saved"
              f" {median(r, 's'):.2f} s, peak {median(r, 'peak'):.0f} MB ({median(r, 'peak') / size:.2f} x the file,"
              f" saving adds {median(r, 'peak') - load_peak:.0f} MB)")
    if "baseline" in saved:
        with open(saved["ours"], "rb") as a, open(saved["baseline"], "rb") as b:
            same = a.read() == b.read()
        print(f"saved drawings byte-identical to the baseline's: {'yes' if same else 'NO'}")

    for name, binary in build_peers(folder).items():
        runs = [run([binary, drawing]) for _ in range(3)]
        counts[name] = pair_counts(runs[0]["out"])
        print(f"{name}: {median(runs, 's'):.2f} s, peak {median(runs, 'peak'):.0f} MB")
    if not o.no_ezdxf:
        counts["ezdxf"], result = ezdxf_counts(drawing)
        print(f"ezdxf: {result['s']:.1f} s, peak {result['peak']:.0f} MB")
    reference = counts.get("ezdxf", counts["ours"])
    total = sum(reference.values())
    for name, found in counts.items():
        verdict = "the same" if found == reference else "DIFFERENT"
        print(f"counts of {name}: {sum(found.values())} references of {len(found)} blocks, {verdict}"
              f" as {'ezdxf' if 'ezdxf' in counts else 'ours'} ({total})")
    return 0 if all(found == reference for found in counts.values()) else 1


if __name__ == "__main__":
    sys.exit(main())
