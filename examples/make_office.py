"""Writes office.dxf, the bundled example drawing: an office floor with furniture blocks."""
import ezdxf

doc = ezdxf.new("R2018")
doc.header["$INSUNITS"] = 6  # metres
for name, size in [("DESK", (1.6, 0.8)), ("CHAIR", (0.5, 0.5)), ("CABINET", (0.8, 0.4)), ("DOOR", (0.9, 0.05))]:
    block = doc.blocks.new(name)
    w, h = size
    block.add_lwpolyline([(0, 0), (w, 0), (w, h), (0, h)], close=True)
    block.add_attdef("TAG", (0, h + 0.1), dxfattribs={"height": 0.1}).dxf.text = name
room = doc.blocks.new("ROOM")
room.add_lwpolyline([(0, 0), (6, 0), (6, 4), (0, 4)], close=True)
room.add_blockref("DOOR", (2.5, 0))
room.add_blockref("CABINET", (5, 3.5))
msp = doc.modelspace()
for row in range(3):
    for col in range(4):
        x, y = col * 7.0, row * 5.0
        msp.add_blockref("ROOM", (x, y))
        msp.add_blockref("DESK", (x + 1, y + 1)).add_auto_attribs({"TAG": f"D{row}{col}"})
        msp.add_blockref("chair", (x + 1.5, y + 0.3))
        msp.add_blockref("CHAIR", (x + 3.5, y + 0.3))
msp.add_text("Office floor", dxfattribs={"height": 0.5}).set_placement((0, -1.5))
doc.layout("Layout1").add_blockref("DESK", (10, 10))
doc.saveas("office.dxf")
