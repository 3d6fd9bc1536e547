"""Test drawings written by ezdxf, and an independent reading of drawings we wrote.

    drawings.py make FOLDER          writes the test drawings into FOLDER
    drawings.py summary FILE         prints ezdxf's audit and reading of FILE, a fact per line
"""
import sys

import ezdxf


def add_door_blocks(doc):
    door = doc.blocks.new("DOOR")
    door.add_line((0, 0), (1, 0))
    door.add_attdef("PRICE", (0, 1), dxfattribs={"height": 0.5}).dxf.text = "12.50"
    nest = doc.blocks.new("NEST")
    nest.add_blockref("DOOR", (0, 0))
    msp = doc.modelspace()
    ref = msp.add_blockref("DOOR", (5, 5))
    ref.add_auto_attribs({"PRICE": "9.99"})
    msp.add_blockref("door", (6, 5))
    msp.add_blockref("NEST", (7, 5))
    doc.layout("Layout1").add_blockref("DOOR", (1, 1))
    msp.add_circle((0, 0), 2)
    msp.add_text("hi")
    if doc.dxfversion == "AC1009":
        msp.add_polyline2d([(0, 0), (1, 0), (1, 1)], close=True)
    else:
        msp.add_lwpolyline([(0, 0), (1, 0), (1, 1)], close=True)


def make(folder):
    for version in ["R12", "R2000", "R2004", "R2010", "R2018"]:
        doc = ezdxf.new(version)
        add_door_blocks(doc)
        doc.saveas(f"{folder}/{version}.dxf")
    # Hebrew block names in a drawing written in code page 1255.
    doc = ezdxf.new("R2004")
    doc.encoding = "cp1255"
    hebrew = doc.blocks.new("דלת")
    hebrew.add_line((0, 0), (1, 0))
    doc.modelspace().add_blockref("דלת", (0, 0))
    doc.modelspace().add_text("€ ש")
    doc.saveas(f"{folder}/hebrew1255.dxf")
    # The same names in UTF-8.
    doc = ezdxf.new("R2018")
    hebrew = doc.blocks.new("דלת")
    hebrew.add_line((0, 0), (1, 0))
    doc.modelspace().add_blockref("דלת", (0, 0))
    doc.saveas(f"{folder}/hebrew2018.dxf")
    # Anonymous blocks, an external reference and a MINSERT.
    doc = ezdxf.new("R2010")
    anonymous = doc.blocks.new_anonymous_block()
    anonymous.add_line((0, 0), (2, 2))
    doc.modelspace().add_blockref(anonymous.name, (0, 0))
    doc.add_xref_def("parts.dxf", "PARTS")
    doc.blocks.new("SEAT").add_circle((0, 0), 0.5)
    grid = doc.modelspace().add_blockref("SEAT", (0, 0))
    grid.grid(size=(3, 4), spacing=(1.0, 2.0))
    doc.saveas(f"{folder}/special.dxf")


def summary(path):
    doc = ezdxf.readfile(path)
    errors = [str(e.message) for e in doc.audit().errors]
    lines = [f"errors {len(errors)}"] + [f"error {e}" for e in errors]
    lines.append(f"modelspace {len(doc.modelspace())}")
    for e in doc.modelspace().query("INSERT"):
        attribs = ",".join(f"{a.dxf.tag}={a.dxf.text}" for a in e.attribs)
        lines.append(f"insert {e.dxf.name} at {e.dxf.insert.x:g},{e.dxf.insert.y:g} scale {e.dxf.xscale:g} [{attribs}]")
    for block in doc.blocks:
        if not block.name.lower().startswith(("*model_space", "*paper_space")):
            lines.append(f"block {block.name} " + " ".join(e.dxftype() for e in block))
    for block in doc.blocks:
        for e in block.query("ATTDEF"):
            lines.append(f"attdef {block.name} {e.dxf.tag}={e.dxf.text} style {e.dxf.style}")
    for style in doc.styles:
        lines.append(f"style {style.dxf.name} {style.dxf.font}")
    print("\n".join(lines))


if __name__ == "__main__":
    if sys.argv[1] == "summary":
        summary(sys.argv[2])
        sys.exit(0)
    make(sys.argv[2])
