"""Test drawings written by ezdxf, and an independent reading of drawings we wrote.

    drawings.py make FOLDER          writes the test drawings into FOLDER
    drawings.py summary FILE         prints ezdxf's audit and reading of FILE, a fact per line
    drawings.py big FILE COUNT       writes a drawing of COUNT mixed entities (the benchmark's, smaller)
    drawings.py recovery FILE R2018  writes the drawing the recovery tests damage
"""
import os
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
        # The same drawing as binary DXF: one-byte group codes for R12, two-byte ones after.
        doc.saveas(f"{folder}/{version}-bin.dxf", fmt="bin")
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
    # What a real drawing carries beyond the fields we model: extended data, true colours, linetypes,
    # lineweights, a frozen layer.
    for version in ["R2000", "R2018"]:
        doc = ezdxf.new(version)
        doc.appids.new("VANTOREL_TEST")
        doc.linetypes.add("DASHED", pattern=[0.75, 0.5, -0.25], description="Dashed __ __")
        doc.layers.add("Hidden", color=3, linetype="DASHED").freeze()
        doc.layers.get("Hidden").set_xdata("VANTOREL_TEST", [(1000, "layer note")])
        doc.styles.new("Notes", dxfattribs={"font": "isocp.shx"}).set_xdata("VANTOREL_TEST", [(1070, 7)])
        part = doc.blocks.new("PART")
        part.add_line((0, 0), (1, 0))
        part.add_attdef("CODE", (0, 1), dxfattribs={"style": "Notes"}).dxf.text = "P-1"
        ref = doc.modelspace().add_blockref("PART", (1, 1), dxfattribs={
            "layer": "Hidden", "linetype": "DASHED", "lineweight": 35, "true_color": 0x123456})
        ref.set_xdata("VANTOREL_TEST", [(1000, "reference note"), (1040, 2.5)])
        attrib = ref.add_attrib("CODE", "P-1", (1, 2), dxfattribs={"style": "Notes", "true_color": 0x654321})
        attrib.set_xdata("VANTOREL_TEST", [(1000, "attribute note")])
        doc.modelspace().add_line((0, 0), (5, 5), dxfattribs={"linetype": "DASHED"}).set_xdata(
            "VANTOREL_TEST", [(1000, "line note")])
        doc.saveas(f"{folder}/extras{version}.dxf")
        doc.saveas(f"{folder}/extras{version}-bin.dxf", fmt="bin")
    # The drawing the recovery tests damage, in both forms.
    recovery(f"{folder}/recovery.dxf", "R2018")
    recovery(f"{folder}/recovery-r12.dxf", "R12")


def recovery(path, version):
    """References with attributes, texts and a layer of its own: what the recovery tests damage."""
    doc = ezdxf.new(version)
    doc.layers.add("Walls", color=3)
    door = doc.blocks.new("DOOR")
    door.add_line((0, 0), (1, 0))
    door.add_attdef("PRICE", (0, 1)).dxf.text = "12.50"
    doc.blocks.new("CHAIR").add_circle((0, 0), 0.5)
    msp = doc.modelspace()
    for i in range(3):
        msp.add_blockref("DOOR", (i, 0)).add_auto_attribs({"PRICE": f"{10 + i}.00"})
    msp.add_line((0, 0), (9, 9), dxfattribs={"layer": "Walls"})
    msp.add_blockref("CHAIR", (0, 5))
    msp.add_text("hello world") if version == "R12" else msp.add_mtext("hello world")
    msp.add_blockref("CHAIR", (1, 5))
    msp.add_text("note")
    doc.saveas(path)


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


def extras(path):
    """The extras drawing's facts beyond the modelled fields, as ezdxf reads them."""
    doc = ezdxf.readfile(path)
    lines = [f"errors {len(doc.audit().errors)}"]
    def xdata(e):
        return list(e.get_xdata("VANTOREL_TEST")) if e.has_xdata("VANTOREL_TEST") else []
    for e in doc.modelspace():
        line = f"{e.dxftype()} layer {e.dxf.layer} linetype {e.dxf.get('linetype')} xdata {xdata(e)}"
        if e.dxftype() == "INSERT":
            line += (f" at {e.dxf.insert.x:g},{e.dxf.insert.y:g} lineweight {e.dxf.get('lineweight')}"
                     f" color {e.dxf.get('true_color')}")
            for a in e.attribs:
                line += f" | {a.dxf.tag}={a.dxf.text} style {a.dxf.style} color {a.dxf.get('true_color')} xdata {xdata(a)}"
        if e.dxftype() == "LINE":
            line += f" to {e.dxf.end.x:g},{e.dxf.end.y:g}"
        lines.append(line)
    hidden = doc.layers.get("Hidden")
    lines.append(f"layer Hidden color {hidden.color} frozen {hidden.is_frozen()} linetype {hidden.dxf.linetype}"
                 f" xdata {xdata(hidden)}")
    notes = doc.styles.get("Notes")
    lines.append(f"style Notes {notes.dxf.font} width {notes.dxf.width:g} xdata {xdata(notes)}")
    print("\n".join(lines))


def big(path, count):
    sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "bench"))
    import mixed_drawing
    mixed_drawing.main(path, count)


if __name__ == "__main__":
    if sys.argv[1] == "recovery":
        recovery(sys.argv[2], sys.argv[3])
        sys.exit(0)
    if sys.argv[1] == "big":
        big(sys.argv[2], int(sys.argv[3]))
        sys.exit(0)
    if sys.argv[1] == "extras":
        extras(sys.argv[2])
        sys.exit(0)
    if sys.argv[1] == "summary":
        summary(sys.argv[2])
        sys.exit(0)
    make(sys.argv[2])
