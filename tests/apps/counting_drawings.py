"""Drawings for the counting switches, each with counts worked out by hand in the tests that use them.

    counting_drawings.py KIND OUT.dxf [asc|bin]

KIND:
  nested    DESK, CHAIR; ROOM holds 1 DESK and 2 CHAIR; FLOOR holds 3 ROOM and 1 DESK; LOOP holds itself and a
            CHAIR. Model space: 2 FLOOR, 1 ROOM, 1 CHAIR, 1 LOOP.
  minsert   SEAT placed once as a 3 x 4 MINSERT and once plainly.
  keyed     VALVE with attribute PARTNO: V-100 twice, V-200 once, empty once, and once with no attributes;
            PUMP with PARTNO P-1 once.
  tables    CHAIR twice; the table blocks QVT0001 and qvt0002 once each; QVT12 (no table name) once.
  layouts   DESK once in model space, twice in Layout1, three times in Layout2.
  dynamic   the dynamic block My_Look_Block placed once as itself; its states: *U26 (named by the state's record,
            AcDbBlockRepBTag) twice, *U27 (named through the reference's extension dictionary) three times,
            *U28 (whose dynamic block *U17 keeps its name Door_Dyn in AcDbDynamicBlockTrueName) once, and *U29
            (nothing names it) once.
  attributed DESK (attributes MATERIAL, SIZE) and CHAIR (MATERIAL); ROOM holds a DESK oak/160 on layer 0 and
            CHAIRs red and blue on layer FURN. Model space: ROOM twice on FLOOR1 and once on FLOOR2, a DESK oak/180
            on FLOOR1, a DESK without attributes on FLOOR2, and CHAIR red as a 2 x 3 MINSERT on FLOOR2. Layout1: a
            DESK oak/160 on FLOOR1; Layout2: a ROOM on FLOOR2.
  cycle     A holds B and a CHAIR, B holds A and a DESK: model space places B, A and B again.
"""
import sys

import ezdxf


def nested(doc):
    msp = doc.modelspace()
    doc.blocks.new("DESK").add_line((0, 0), (2, 1))
    doc.blocks.new("CHAIR").add_circle((0, 0), 0.5)
    room = doc.blocks.new("ROOM")
    room.add_blockref("DESK", (1, 1))
    room.add_blockref("CHAIR", (1, 2))
    room.add_blockref("CHAIR", (2, 2))
    floor = doc.blocks.new("FLOOR")
    for i in range(3):
        floor.add_blockref("ROOM", (i * 10, 0))
    floor.add_blockref("DESK", (0, 20))
    loop = doc.blocks.new("LOOP")
    loop.add_blockref("CHAIR", (0, 0))
    loop.add_blockref("LOOP", (5, 5))
    msp.add_blockref("FLOOR", (0, 0))
    msp.add_blockref("FLOOR", (0, 100))
    msp.add_blockref("ROOM", (50, 0))
    msp.add_blockref("CHAIR", (60, 0))
    msp.add_blockref("LOOP", (70, 0))


def minsert(doc):
    doc.blocks.new("SEAT").add_circle((0, 0), 0.4)
    msp = doc.modelspace()
    msp.add_blockref("SEAT", (0, 0)).grid(size=(4, 3), spacing=(1.0, 1.0))  # 4 rows, 3 columns
    msp.add_blockref("SEAT", (20, 0))


def keyed(doc):
    msp = doc.modelspace()
    for name in ("VALVE", "PUMP"):
        block = doc.blocks.new(name)
        block.add_line((0, 0), (1, 0))
        block.add_attdef("PARTNO", (0, 1), dxfattribs={"height": 0.25})
    for i, part in enumerate(["V-100", "V-100", "V-200", ""]):
        msp.add_blockref("VALVE", (i, 0)).add_attrib("PARTNO", part, (i, 1))
    msp.add_blockref("VALVE", (9, 0))
    msp.add_blockref("PUMP", (0, 5)).add_attrib("PARTNO", "P-1", (0, 6))


def tables(doc):
    msp = doc.modelspace()
    for name in ("CHAIR", "QVT0001", "qvt0002", "QVT12"):
        doc.blocks.new(name).add_line((0, 0), (1, 1))
    msp.add_blockref("CHAIR", (0, 0))
    msp.add_blockref("CHAIR", (2, 0))
    msp.add_blockref("QVT0001", (10, 0))
    msp.add_blockref("qvt0002", (20, 0))
    msp.add_blockref("QVT12", (30, 0))


def layouts(doc):
    doc.blocks.new("DESK").add_line((0, 0), (2, 1))
    doc.modelspace().add_blockref("DESK", (0, 0))
    first = doc.layouts.get("Layout1")
    for i in range(2):
        first.add_blockref("DESK", (i, 0))
    second = doc.layouts.new("Layout2")
    for i in range(3):
        second.add_blockref("DESK", (i, 0))


def dynamic(doc):
    msp = doc.modelspace()
    for application in ("AcDbBlockRepBTag", "AcDbDynamicBlockTrueName"):
        doc.appids.new(application)
    look = doc.blocks.new("My_Look_Block")
    look.add_line((0, 0), (1, 0))
    look_handle = look.block_record.dxf.handle

    def state(name):
        block = doc.blocks.new(name)  # a name that begins with * is an anonymous block
        block.add_line((0, 0), (2, 0))
        return block

    u26 = state("*U26")
    u26.block_record.set_xdata("AcDbBlockRepBTag", [(1070, 1), (1005, look_handle)])
    state("*U27")
    u17 = state("*U17")
    u17.block_record.set_xdata("AcDbDynamicBlockTrueName", [(1000, "Door_Dyn")])
    u28 = state("*U28")
    u28.block_record.set_xdata("AcDbBlockRepBTag", [(1070, 1), (1005, u17.block_record.dxf.handle)])
    state("*U29")
    msp.add_blockref("My_Look_Block", (0, 0))
    for i in range(2):
        msp.add_blockref("*U26", (i, 5))
    for i in range(3):
        reference = msp.add_blockref("*U27", (i, 10))
        xdict = reference.new_extension_dict()
        representation = xdict.dictionary.add_new_dict("AcDbBlockRepresentation", hard_owned=True)
        data = representation.add_xrecord("AcDbRepData")
        data.reset([(70, 1), (340, look_handle)])
    msp.add_blockref("*U28", (0, 15))
    msp.add_blockref("*U29", (0, 20))


def attributed(doc):
    for layer in ("FLOOR1", "FLOOR2", "FURN"):
        doc.layers.add(layer)
    desk = doc.blocks.new("DESK")
    desk.add_line((0, 0), (2, 1))
    desk.add_attdef("MATERIAL", (0, 1), dxfattribs={"height": 0.2})
    desk.add_attdef("SIZE", (0, 1.5), dxfattribs={"height": 0.2})
    chair = doc.blocks.new("CHAIR")
    chair.add_circle((0, 0), 0.4)
    chair.add_attdef("MATERIAL", (0, 0.5), dxfattribs={"height": 0.2})

    def place(layout, name, point, values, layer="0"):
        reference = layout.add_blockref(name, point, dxfattribs={"layer": layer})
        for tag, value in values:
            reference.add_attrib(tag, value, (point[0], point[1] + 1), dxfattribs={"height": 0.2, "layer": layer})
        return reference

    room = doc.blocks.new("ROOM")
    place(room, "DESK", (1, 1), [("MATERIAL", "oak"), ("SIZE", "160")])
    place(room, "CHAIR", (1, 3), [("MATERIAL", "red")], "FURN")
    place(room, "CHAIR", (3, 3), [("MATERIAL", "blue")], "FURN")
    msp = doc.modelspace()
    place(msp, "ROOM", (0, 0), [], "FLOOR1")
    place(msp, "ROOM", (10, 0), [], "FLOOR1")
    place(msp, "ROOM", (20, 0), [], "FLOOR2")
    place(msp, "DESK", (30, 0), [("MATERIAL", "oak"), ("SIZE", "180")], "FLOOR1")
    place(msp, "DESK", (40, 0), [], "FLOOR2")
    grid = place(msp, "CHAIR", (50, 0), [("MATERIAL", "red")], "FLOOR2")
    grid.grid(size=(3, 2), spacing=(1.0, 1.0))  # 3 rows, 2 columns
    place(doc.layouts.get("Layout1"), "DESK", (1, 1), [("MATERIAL", "oak"), ("SIZE", "160")], "FLOOR1")
    place(doc.layouts.new("Layout2"), "ROOM", (1, 1), [], "FLOOR2")


def cycle(doc):
    doc.blocks.new("CHAIR").add_circle((0, 0), 0.4)
    doc.blocks.new("DESK").add_line((0, 0), (2, 1))
    a = doc.blocks.new("A")
    b = doc.blocks.new("B")
    a.add_blockref("B", (5, 0))
    a.add_blockref("CHAIR", (0, 0))
    b.add_blockref("A", (0, 5))
    b.add_blockref("DESK", (0, 0))
    msp = doc.modelspace()
    for i, name in enumerate(["B", "A", "B"]):
        msp.add_blockref(name, (i * 20, 0))


if __name__ == "__main__":
    kind, path = sys.argv[1], sys.argv[2]
    fmt = sys.argv[3] if len(sys.argv) > 3 else "asc"
    document = ezdxf.new("R2018")
    globals()[kind](document)
    document.saveas(path, fmt=fmt)
