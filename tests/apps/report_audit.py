"""ezdxf's independent view of the report command's drawings.

    report_audit.py chairs OUT.dxf       a drawing of four chair references and a line on layer WALLS
    report_audit.py table FILE NAME      audit result, the table block's entities and its reference, a fact per line
    report_audit.py names OUT.dxf        block definitions named in mixed case, one anonymous, one reference each
    report_audit.py named OUT.dxf NAME   the chairs drawing with a block NAME already there
    report_audit.py cased OUT.dxf PAGE NAME...  an R2000 drawing in code page PAGE, two references of each block
    report_audit.py drawn OUT.dxf VERSION PAGE asc|bin NAME...  the same in any release, ASCII or binary DXF
    report_audit.py summary FILE         audit result, model space by entity type, the block definitions
    report_audit.py cells FILE NAME      each cell of a table block (attribute definition or text): its kind,
                                         text, place, alignment and height, then the references' attributes
"""
import sys

import ezdxf


def chairs(path):
    doc = ezdxf.new("R2000")
    chair = doc.blocks.new("chair")
    chair.add_line((0, 0), (1, 0))
    msp = doc.modelspace()
    for i in range(4):
        msp.add_blockref("chair", (i * 2, 0))
    msp.add_line((0, 5), (10, 5), dxfattribs={"layer": "WALLS"})
    doc.saveas(path)


def names(path):
    doc = ezdxf.new("R2010")
    msp = doc.modelspace()
    for name in ["beta", "GAMMA", "Alpha", "delta"]:
        doc.blocks.new(name).add_line((0, 0), (1, 0))
        msp.add_blockref(name, (0, 0))
    anonymous = doc.blocks.new_anonymous_block()
    anonymous.add_line((0, 0), (2, 2))
    msp.add_blockref(anonymous.name, (0, 0))
    doc.saveas(path)


def named(path, name):
    chairs(path)
    doc = ezdxf.readfile(path)
    doc.blocks.new(name).add_line((0, 0), (1, 0))
    doc.saveas(path)


def cased(path, page, names):
    drawn(path, "R2000", page, "asc", names)


def drawn(path, version, page, fmt, names):
    doc = ezdxf.new(version)
    if version < "R2007":  # later releases are UTF-8 whatever the code page
        doc.encoding = "gbk" if page == "936" else f"cp{page}"
    msp = doc.modelspace()
    for i, name in enumerate(names):
        doc.blocks.new(name).add_line((0, 0), (1, 0))
        msp.add_blockref(name, (i, 0))
        msp.add_blockref(name, (i, 2))
    doc.saveas(path, fmt=fmt)


def r(value):
    return f"{value:.4f}".rstrip("0").rstrip(".")


def table(path, name):
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    print(f"audit errors {len(auditor.errors)}")
    block = doc.blocks.get(name)
    print(f"base {r(block.block.dxf.base_point.x)},{r(block.block.dxf.base_point.y)}")
    for e in block:
        if e.dxftype() == "LINE":
            print(f"LINE {r(e.dxf.start.x)},{r(e.dxf.start.y)} {r(e.dxf.end.x)},{r(e.dxf.end.y)}")
        else:
            align = e.dxf.get("align_point")
            at = f" align {r(align.x)},{r(align.y)}" if align is not None and e.dxf.get("halign", 0) else ""
            print(f"ATTDEF {e.dxf.tag} '{e.dxf.text}' at {r(e.dxf.insert.x)},{r(e.dxf.insert.y)}"
                  f" h {r(e.dxf.height)} halign {e.dxf.get('halign', 0)}{at} style {e.dxf.style}")
    for ref in doc.modelspace().query("INSERT"):
        if ref.dxf.name == name:
            print(f"INSERT {r(ref.dxf.insert.x)},{r(ref.dxf.insert.y)} scale {r(ref.dxf.xscale)},{r(ref.dxf.yscale)}")
            for a in ref.attribs:
                print(f"ATTRIB {a.dxf.tag} '{a.dxf.text}'")
    print(f"modelspace {len(doc.modelspace())}")
    print(f"style {doc.styles.get('QVTTABLE').dxf.font}")


def summary(path):
    doc = ezdxf.readfile(path)
    print(f"audit errors {len(doc.audit().errors)}")
    kinds = {}
    for e in doc.modelspace():
        kinds[e.dxftype()] = kinds.get(e.dxftype(), 0) + 1
    print("modelspace " + " ".join(f"{k} {v}" for k, v in sorted(kinds.items())))
    print("blocks " + " ".join(sorted(b.name for b in doc.blocks if not b.name.startswith("*"))))
    print("styles " + " ".join(sorted(s.dxf.name for s in doc.styles)))


def cells(path, name):
    doc = ezdxf.readfile(path)
    print(f"audit errors {len(doc.audit().errors)}")
    for e in doc.blocks.get(name).query("ATTDEF TEXT"):
        align = e.dxf.get("align_point")
        at = f" align {r(align.x)},{r(align.y)}" if align is not None and e.dxf.get("halign", 0) else ""
        print(f"{e.dxftype()} '{e.dxf.text}' at {r(e.dxf.insert.x)},{r(e.dxf.insert.y)} h {r(e.dxf.height)}"
              f" halign {e.dxf.get('halign', 0)}{at} style {e.dxf.style}")
    for ref in doc.modelspace().query("INSERT"):
        if ref.dxf.name == name:
            print(f"INSERT {r(ref.dxf.insert.x)},{r(ref.dxf.insert.y)} attributes {len(ref.attribs)}")


if __name__ == "__main__":
    if sys.argv[1] == "chairs":
        chairs(sys.argv[2])
    elif sys.argv[1] == "names":
        names(sys.argv[2])
    elif sys.argv[1] == "drawn":
        drawn(sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5], sys.argv[6:])
    elif sys.argv[1] == "cased":
        cased(sys.argv[2], sys.argv[3], sys.argv[4:])
    elif sys.argv[1] == "summary":
        summary(sys.argv[2])
    elif sys.argv[1] == "cells":
        cells(sys.argv[2], sys.argv[3])
    elif sys.argv[1] == "named":
        named(sys.argv[2], sys.argv[3])
    else:
        table(sys.argv[2], sys.argv[3])
