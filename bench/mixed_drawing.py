"""A drawing as big as real ones: 1,000,000 entities of model space, 50,000 of them references with attributes.

    /usr/bin/python3 bench/mixed_drawing.py OUT.dxf [ENTITIES]

LINE, LWPOLYLINE of 10 vertices, CIRCLE, ARC, TEXT, MTEXT and solid HATCH in turn (lines and circles with
coordinates in full precision, 16 and 17 digits, the others in four decimals), and every twentieth entity an
INSERT of one of 200 blocks with 3 ATTRIBs (R2018, about 200 MB). The blocks, tables and objects come from ezdxf;
the entities are written straight into its ENTITIES section with handles above its seed, which is then raised,
so that the file is one that ezdxf itself reads and audits.
"""
import io
import os
import random
import sys

import ezdxf


def template(path):
    doc = ezdxf.new("R2018")
    for b in range(200):
        block = doc.blocks.new(f"PART{b:03d}")
        block.add_line((0, 0), (1, 1))
        block.add_circle((0.5, 0.5), 0.25)
        for i, tag in enumerate(("CODE", "MAKER", "NOTE")):
            block.add_attdef(tag, (0, -i * 0.3), dxfattribs={"height": 0.2}).dxf.text = tag.lower()
    doc.saveas(path)
    return doc.modelspace().layout_key, doc.header["$HANDSEED"]


def entities(out, count, owner, seed):
    handle = int(seed, 16)
    rng = random.Random(7)
    kinds = ["LINE", "LWPOLYLINE", "CIRCLE", "ARC", "TEXT", "MTEXT", "HATCH"]
    w = out.write

    def head(kind, layer="0", of=owner):
        nonlocal handle
        h = f"{handle:X}"
        handle += 1
        w(f"  0\n{kind}\n  5\n{h}\n330\n{of}\n100\nAcDbEntity\n  8\n{layer}\n")
        return h

    for n in range(count):
        x = rng.uniform(0, 10000)
        y = rng.uniform(0, 10000)
        if n % 20 == 19:
            insert = head("INSERT", "PARTS")
            block = f"PART{rng.randrange(200):03d}"
            w(f"100\nAcDbBlockReference\n 66\n1\n  2\n{block}\n 10\n{x:.4f}\n 20\n{y:.4f}\n 30\n0.0\n")
            for i, tag in enumerate(("CODE", "MAKER", "NOTE")):
                head("ATTRIB", "PARTS", insert)
                w(f"100\nAcDbText\n 10\n{x:.4f}\n 20\n{y - i * 0.3:.4f}\n 30\n0.0\n 40\n0.2\n  1\n{tag[0]}-{n}\n"
                  f"100\nAcDbAttribute\n  2\n{tag}\n 70\n0\n")
            seqend = handle
            handle += 1
            w(f"  0\nSEQEND\n  5\n{seqend:X}\n330\n{insert}\n100\nAcDbEntity\n  8\nPARTS\n")
            continue
        kind = kinds[n % len(kinds)]
        head(kind)
        if kind == "LINE":
            # Drawn lines end where the user snapped, written as the CAD program writes a double: in full.
            w(f"100\nAcDbLine\n 10\n{x!r}\n 20\n{y!r}\n 30\n0.0\n 11\n{x + 10 / 3!r}\n 21\n{y + 5 / 7!r}\n 31\n0.0\n")
        elif kind == "LWPOLYLINE":
            w("100\nAcDbPolyline\n 90\n10\n 70\n0\n 43\n0.0\n")
            for v in range(10):
                w(f" 10\n{x + v:.4f}\n 20\n{y + (v % 3):.4f}\n")
        elif kind == "CIRCLE":
            w(f"100\nAcDbCircle\n 10\n{x!r}\n 20\n{y!r}\n 30\n0.0\n 40\n{rng.uniform(1, 20)!r}\n")
        elif kind == "ARC":
            w(f"100\nAcDbCircle\n 10\n{x:.4f}\n 20\n{y:.4f}\n 30\n0.0\n 40\n{rng.uniform(1, 20):.4f}\n"
              f"100\nAcDbArc\n 50\n{rng.uniform(0, 180):.4f}\n 51\n{rng.uniform(180, 360):.4f}\n")
        elif kind == "TEXT":
            w(f"100\nAcDbText\n 10\n{x:.4f}\n 20\n{y:.4f}\n 30\n0.0\n 40\n2.5\n  1\nRoom {n}\n100\nAcDbText\n")
        elif kind == "MTEXT":
            w(f"100\nAcDbMText\n 10\n{x:.4f}\n 20\n{y:.4f}\n 30\n0.0\n 40\n2.5\n 41\n40.0\n 71\n1\n 72\n5\n"
              f"  1\nNote {n}\\Psecond line\n 73\n1\n 44\n1.0\n")
        else:
            w(f"100\nAcDbHatch\n 10\n0.0\n 20\n0.0\n 30\n0.0\n210\n0.0\n220\n0.0\n230\n1.0\n  2\nSOLID\n 70\n1\n 71\n0\n"
              f" 91\n1\n 92\n2\n 72\n0\n 73\n1\n 93\n4\n 10\n{x:.4f}\n 20\n{y:.4f}\n 10\n{x + 5:.4f}\n 20\n{y:.4f}\n"
              f" 10\n{x + 5:.4f}\n 20\n{y + 5:.4f}\n 10\n{x:.4f}\n 20\n{y + 5:.4f}\n 97\n0\n 75\n1\n 76\n1\n 98\n0\n")
    return handle


def main(path, count):
    skeleton = path + ".template.dxf"
    template(skeleton)
    with open(skeleton, encoding="utf-8") as f:
        text = f.read()
    os.remove(skeleton)
    # The model space's record handle: the record named *Model_Space.
    at = text.index("\n*Model_Space\n")
    record = text.rfind("\n  5\n", 0, at)
    owner = text[record + 5:text.index("\n", record + 5)]
    seed_at = text.index("$HANDSEED\n  5\n") + len("$HANDSEED\n  5\n")
    seed = text[seed_at:text.index("\n", seed_at)]
    start = text.index("ENTITIES\n") + len("ENTITIES\n")
    end = text.index("  0\nENDSEC\n", start)
    body = io.StringIO()
    handle = entities(body, count, owner, seed)
    whole = text[:seed_at] + f"{handle:X}" + text[seed_at + len(seed):start] + text[start:end] + body.getvalue() + text[end:]
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(whole)
    print(f"{path}: {os.path.getsize(path) / 1e6:.0f} MB, {count} entities")


if __name__ == "__main__":
    main(sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 1_000_000)
