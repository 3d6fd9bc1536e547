"""A DWG drawing as the host reads it against ezdxf's reading of the DXF that the same converter makes of it.

    dwg_check.py VANTOREL CONVERTER DRAWING.dwg WORKDIR

Prints the blocks with their references in model space, paper space and block definitions as ezdxf counts
them, and whether `vantorel blocks` says the same. Exit 0 when it does, 1 otherwise.
"""
import os
import re
import subprocess
import sys

import ezdxf


def ezdxf_counts(path):
    doc = ezdxf.readfile(path)
    rows = {}
    for block in doc.blocks:
        lower = block.name.lower()
        if lower == "*model_space" or lower.startswith("*paper_space"):
            continue
        rows[lower] = [block.name, 0, 0, 0]
    for block in doc.blocks:
        lower = block.name.lower()
        where = 1 if lower == "*model_space" else 2 if lower.startswith("*paper_space") else 3
        for entity in block:
            if entity.dxftype() == "INSERT" and entity.dxf.name.lower() in rows:
                rows[entity.dxf.name.lower()][where] += 1
    return sorted(tuple(row) for row in rows.values())


def our_counts(vantorel, drawing):
    out = subprocess.run([vantorel, "blocks", drawing], capture_output=True, text=True, errors="replace")
    if out.returncode != 0:
        raise SystemExit(f"vantorel blocks failed ({out.returncode}): {out.stderr}")
    rows = []
    for line in out.stdout.splitlines()[1:]:
        m = re.match(r"^(.*?)\s+(?:anonymous\s+|xref\s+)?(\d+)\s+(\d+)\s+(\d+)$", line)
        if m:
            rows.append((m.group(1).strip(), int(m.group(2)), int(m.group(3)), int(m.group(4))))
    return sorted(rows)


def main(vantorel, converter, drawing, work):
    os.makedirs(work, exist_ok=True)
    dxf = os.path.join(work, os.path.basename(drawing) + ".dxf")
    subprocess.run(["node", converter, drawing, dxf], check=True, capture_output=True)
    theirs = ezdxf_counts(dxf)
    ours = our_counts(vantorel, drawing)
    references = sum(row[1] + row[2] + row[3] for row in theirs)
    print(f"{len(theirs)} blocks, {references} references")
    if ours != theirs:
        print("ours:  ", ours)
        print("ezdxf: ", theirs)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:5]))
