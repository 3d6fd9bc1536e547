"""Reads every DXF file under a folder with our reader and with ezdxf and compares what they count.

    compare_with_ezdxf.py CENSUS_TOOL FOLDER

Exit 0 when every file reads without an error and with the same counts, 77 (skipped) when the folder
does not exist, 1 otherwise.
"""
import os
import subprocess
import sys

import ezdxf


def ezdxf_counts(path):
    doc = ezdxf.readfile(path)
    blocks = [b for b in doc.blocks if not b.name.lower().startswith(("*model_space", "*paper_space"))
              and b.name.lower() not in ("$model_space", "$paper_space")]
    return len(doc.modelspace()), len(blocks), sum(len(b) for b in blocks)


def main(tool, folder):
    if not os.path.isdir(folder):
        print(f"{folder} is not here; install librecad-data to run this test")
        return 77
    paths = sorted(os.path.join(d, f) for d, _, files in os.walk(folder) for f in files if f.lower().endswith(".dxf"))
    ours = {}
    for start in range(0, len(paths), 200):
        out = subprocess.run([tool] + paths[start:start + 200], capture_output=True, text=True, errors="replace")
        for line in out.stdout.splitlines():
            fields = line.split("\t")
            ours[fields[0]] = fields[1:]
    problems = []
    for path in paths:
        mine = ours.get(path, ["missing"])
        if mine[0] != "ok":
            problems.append(f"{path}: our reader: {' '.join(mine)}")
            continue
        try:
            theirs = ezdxf_counts(path)
        except Exception as e:  # a file ezdxf cannot read is not ours to judge
            print(f"{path}: ezdxf cannot read it ({e}); skipped")
            continue
        if tuple(int(x) for x in mine[1:4]) != theirs:
            problems.append(f"{path}: ours {mine[1:4]} ezdxf {list(theirs)}")
    print(f"{len(paths)} drawings, {len(problems)} problems")
    for p in problems[:40]:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
