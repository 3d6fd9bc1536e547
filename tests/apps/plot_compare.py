#!/usr/bin/python3
"""Plots compared with ezdxf's drawing add-on, an independent renderer.

    plot_compare.py make OUT.dxf
        a drawing with an entity of each kind the plot draws, made by ezdxf
    plot_compare.py undrawable OUT.dxf
        a line, two 3DSOLID and a REGION
    plot_compare.py layers OUT.dxf
        lines on a shown, a frozen, an off and a not-plotted layer, the shown one in a true colour
    plot_compare.py styles OUT.dxf
        linetypes, BYBLOCK and layer-0 properties in nested blocks, lineweights, pattern hatches, a gradient
    plot_compare.py texts OUT.dxf
        texts in every alignment, fitted, slanted, mirrored, in TrueType and SHX styles; multiline texts wrapped,
        formatted and turned
    plot_compare.py sheets OUT.dxf
        model space seen through two viewports of the layout "Sheet A", one with a layer frozen in it
    plot_compare.py compare DRAWING OURS.png X1,Y1,X2,Y2 WxH [LAYOUT]
        draws DRAWING (or its layout LAYOUT) with ezdxf's matplotlib backend at the same window and size, and prints how much of each
        image's ink lies within 3 pixels of the other's: "ours 0.93 theirs 0.91"
"""
import math
import sys

import ezdxf


def make(path):
    doc = ezdxf.new("R2018", setup=True)
    msp = doc.modelspace()
    msp.add_line((0, 0), (40, 0))
    msp.add_circle((5, 5), 3)
    msp.add_arc((15, 5), 3, 0, 180)
    msp.add_ellipse((25, 5), major_axis=(4, 0), ratio=0.5)
    msp.add_ellipse((35, 5), major_axis=(0, 3), ratio=0.4, start_param=0, end_param=math.pi)
    msp.add_lwpolyline([(0, 10), (8, 10), (8, 14), (0, 14)], close=True)
    msp.add_spline_control_frame([(10, 10), (13, 15), (16, 10), (19, 15)])
    msp.add_spline(fit_points=[(21, 10), (24, 14), (27, 11), (30, 15)])
    msp.add_solid([(32, 10), (38, 10), (32, 14), (38, 14)])
    msp.add_3dface([(0, 17), (6, 17), (6, 21), (0, 21)])
    hatch = msp.add_hatch(color=3)
    hatch.paths.add_polyline_path([(10, 17), (18, 17), (18, 22), (10, 22)], is_closed=True)
    hatch.paths.add_polyline_path([(12, 18), (16, 18), (16, 21), (12, 21)], is_closed=True)
    edge = msp.add_hatch(color=5)
    boundary = edge.paths.add_edge_path()
    boundary.add_line((20, 17), (26, 17))
    boundary.add_arc((26, 19.5), 2.5, -90, 90)
    boundary.add_line((26, 22), (20, 22))
    boundary.add_line((20, 22), (20, 17))
    msp.add_text("PLAN A", dxfattribs={"height": 1.5}).set_placement((0, 25))
    msp.add_text("MIDDLE", dxfattribs={"height": 1.0}).set_placement(
        (20, 25), align=ezdxf.enums.TextEntityAlignment.MIDDLE_CENTER)
    msp.add_mtext("First line\\PSecond", dxfattribs={"char_height": 1.0}).set_location((28, 27))
    block = doc.blocks.new("MARK")
    block.add_line((-1, -1), (1, 1))
    block.add_line((-1, 1), (1, -1))
    block.add_circle((0, 0), 1)
    msp.add_blockref("MARK", (5, 32), dxfattribs={"xscale": 2, "yscale": 2, "rotation": 30})
    dim = msp.add_linear_dim(base=(10, 35), p1=(10, 30), p2=(25, 30))
    dim.render()
    msp.add_leader([(30, 30), (33, 33), (38, 33)])
    # Arcs by bulges and a band of a width, in a polyline of each kind.
    msp.add_lwpolyline([(0, 40, 0, 0, 1.0), (6, 40, 0, 0, 0), (10, 43, 0, 0, -0.5), (14, 40)], format="xyseb")
    msp.add_lwpolyline([(18, 40), (26, 40), (26, 44)], dxfattribs={"const_width": 0.8})
    msp.add_polyline2d([(30, 40), (34, 44), (38, 40)], dxfattribs={"closed": True})
    # Points as a circled cross a unit wide; a wipeout hiding the lines under it; an image's frame; multileaders
    # with a text and with a block.
    doc.header["$PDMODE"] = 35
    doc.header["$PDSIZE"] = 1.0
    msp.add_point((2, 47))
    msp.add_point((5, 47))
    for y in (46, 47, 48):
        msp.add_line((8, y), (16, y))
    msp.add_wipeout([(10, 45), (14, 45), (14, 49), (10, 49)])
    definition = doc.add_image_def(filename="site-photo.png", size_in_pixel=(640, 480))
    msp.add_image(definition, insert=(18, 45), size_in_units=(8, 6))
    from ezdxf.math import Vec2
    from ezdxf.render import mleader
    note = msp.add_multileader_mtext("Standard")
    note.set_content("Check this", char_height=1.0, alignment=mleader.TextAlignment.left)
    note.add_leader_line(mleader.ConnectionSide.left, [Vec2(30, 44)])
    note.build(insert=Vec2(34, 48))
    tag = msp.add_multileader_block("Standard")
    tag.set_content(name="MARK", scale=0.5)
    tag.add_leader_line(mleader.ConnectionSide.left, [Vec2(30, 52)])
    tag.build(insert=Vec2(36, 54))
    doc.saveas(path)


def undrawable(path):
    """A line beside two kinds the plot cannot draw: a 3DSOLID and a REGION (ACIS bodies), and two of the first."""
    doc = ezdxf.new("R2018")
    msp = doc.modelspace()
    msp.add_line((0, 0), (10, 5))
    msp.add_3dsolid()
    msp.add_3dsolid()
    msp.add_region()
    doc.saveas(path)


def layers(path):
    """Four lines across x 0 to 10 at y 1 to 4: on a plain layer in a true colour, on a frozen layer, on a layer
    that is off, and on one that is not plotted; at y 4.5 a line marked invisible (60) and a reference to a block
    whose one line is; at y 3.5 a line on Defpoints, which is never plotted."""
    doc = ezdxf.new("R2018")
    msp = doc.modelspace()
    for y, name in enumerate(["SHOWN", "FROZEN", "OFF", "NOPLOT"], start=1):
        layer = doc.layers.add(name)
        if name == "FROZEN":
            layer.freeze()
        elif name == "OFF":
            layer.off()
        elif name == "NOPLOT":
            layer.dxf.plot = 0
        line = msp.add_line((0, y), (10, y), dxfattribs={"layer": name})
        if name == "SHOWN":
            line.rgb = (0x12, 0x34, 0x56)
    # Marked to be plotted, which the CAD program never does with this layer.
    doc.layers.get("Defpoints").dxf.plot = 1
    msp.add_line((0, 3.5), (10, 3.5), dxfattribs={"layer": "Defpoints"})
    # ezdxf does not write group 60: the entities on layer HIDE get it after their layer.
    doc.layers.add("HIDE")
    msp.add_line((0, 4.5), (10, 4.5), dxfattribs={"layer": "HIDE"})
    hidden = doc.blocks.new("HIDDEN")
    hidden.add_line((0, 0), (10, 0), dxfattribs={"layer": "HIDE"})
    msp.add_blockref("HIDDEN", (0, 4.6))
    doc.saveas(path)
    with open(path, encoding="utf-8") as f:
        text = f.read()
    text = text.replace("  8\nHIDE\n100\nAcDbLine\n", "  8\nHIDE\n 60\n1\n100\nAcDbLine\n")
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def styles(path):
    """Linetypes at the drawing's, the entity's and a block's scale, colour and linetype BYBLOCK through two levels
    of blocks, entities on layer 0 in a block taking the reference's layer, lineweights, pattern hatches with an
    island, in each hatch style, and a gradient."""
    doc = ezdxf.new("R2018", setup=True)
    doc.header["$LTSCALE"] = 0.5
    msp = doc.modelspace()
    doc.layers.add("RED", color=1)
    doc.layers.add("WIDE", color=5, linetype="CENTER").dxf.lineweight = 70
    msp.add_line((0, 0), (40, 0), dxfattribs={"linetype": "DASHED"})
    msp.add_line((0, 2), (40, 2), dxfattribs={"linetype": "DASHED", "ltscale": 3})
    msp.add_line((0, 4), (40, 4), dxfattribs={"layer": "WIDE"})
    msp.add_line((0, 6), (40, 6), dxfattribs={"linetype": "DOT", "ltscale": 2})
    msp.add_circle((5, 12), 4, dxfattribs={"linetype": "DASHDOT"})
    msp.add_lwpolyline([(12, 8), (20, 8), (20, 16), (12, 16)], close=True, dxfattribs={"linetype": "HIDDEN"})
    msp.add_line((24, 8), (38, 16), dxfattribs={"lineweight": 200, "color": 6})
    inner = doc.blocks.new("INNER")
    inner.add_circle((0, 0), 1, dxfattribs={"color": 0, "linetype": "BYBLOCK"})
    outer = doc.blocks.new("OUTER")
    outer.add_line((-2, -2), (2, 2), dxfattribs={"color": 0})
    outer.add_line((-2, 2), (2, -2))
    outer.add_blockref("INNER", (0, 0), dxfattribs={"color": 0, "linetype": "BYBLOCK", "xscale": 1.5, "yscale": 1.5})
    msp.add_blockref("OUTER", (5, 22), dxfattribs={"color": 3, "linetype": "DASHED"})
    msp.add_blockref("OUTER", (15, 22), dxfattribs={"layer": "RED", "xscale": 1.5, "yscale": 1.5, "rotation": 20})
    for x, style in ((0, 0), (14, 1), (28, 2)):
        hatch = msp.add_hatch(color=4)
        hatch.set_pattern_fill("ANSI31", scale=0.5)
        hatch.dxf.hatch_style = style
        hatch.paths.add_polyline_path([(x, 28), (x + 12, 28), (x + 12, 38), (x, 38)], is_closed=True, flags=17)
        hatch.paths.add_polyline_path([(x + 3, 30), (x + 9, 30), (x + 9, 36), (x + 3, 36)], is_closed=True, flags=0)
    brick = msp.add_hatch(color=2)
    brick.set_pattern_fill("BRICK", scale=0.3, angle=15)
    brick.paths.add_polyline_path([(0, 40), (12, 40), (6, 48)], is_closed=True)
    gradient = msp.add_hatch()
    gradient.set_gradient((200, 40, 40), (40, 40, 200))
    gradient.paths.add_polyline_path([(16, 40), (26, 40), (26, 48), (16, 48)], is_closed=True)
    doc.saveas(path)


def texts(path):
    """Single-line texts in every alignment, fitted and aligned, slanted, mirrored and stretched, in a TrueType and
    an SHX style; multiline texts wrapped to their width at each attachment point, with inline codes, rotated."""
    from ezdxf.enums import TextEntityAlignment as A
    doc = ezdxf.new("R2018")
    doc.styles.add("ARIAL", font="arial.ttf")
    doc.styles.add("ROMANS", font="romans.shx")
    msp = doc.modelspace()
    alignments = [A.TOP_LEFT, A.TOP_CENTER, A.TOP_RIGHT, A.MIDDLE_LEFT, A.MIDDLE_CENTER, A.MIDDLE_RIGHT,
                  A.BOTTOM_LEFT, A.BOTTOM_CENTER, A.BOTTOM_RIGHT, A.LEFT, A.CENTER, A.RIGHT, A.MIDDLE]
    for i, alignment in enumerate(alignments):
        x, y = (i % 4) * 12 + 6, 60 - (i // 4) * 5
        msp.add_line((x - 0.3, y), (x + 0.3, y), dxfattribs={"color": 1})
        msp.add_text("Ag%d" % i, dxfattribs={"height": 1.5, "style": "ARIAL"}).set_placement((x, y), align=alignment)
    msp.add_text("FITTED", dxfattribs={"height": 1.5}).set_placement((0, 38), (20, 38), align=A.FIT)
    msp.add_text("ALIGNED", dxfattribs={"height": 1.5}).set_placement((24, 38), (44, 40), align=A.ALIGNED)
    msp.add_text("Slanted", dxfattribs={"height": 2, "oblique": 20, "style": "ARIAL"}).set_placement((0, 32))
    msp.add_text("Wide", dxfattribs={"height": 2, "width": 1.8, "style": "ARIAL"}).set_placement((16, 32))
    msp.add_text("Backward", dxfattribs={"height": 2, "text_generation_flag": 2}).set_placement((44, 32))
    msp.add_text("Upside", dxfattribs={"height": 2, "text_generation_flag": 4, "rotation": 10}).set_placement((30, 30))
    msp.add_text("Romans 45%%d", dxfattribs={"height": 1.5, "style": "ROMANS", "rotation": 30}).set_placement((0, 22))
    words = "The quick brown fox jumps over the lazy dog and keeps running"
    for i in range(9):
        x, y = 20 + (i % 3) * 12, 26 - (i // 3) * 9
        msp.add_circle((x, y), 0.3, dxfattribs={"color": 1})
        msp.add_mtext(words, dxfattribs={"char_height": 0.8, "width": 10, "attachment_point": i + 1,
                                         "insert": (x, y)})
    msp.add_mtext("Plain {\\H1.5x;\\C1;big red} and \\Lunder\\l\\Pnext 1\\S1/2; in",
                  dxfattribs={"char_height": 1.0, "insert": (0, 14), "style": "ARIAL"})
    msp.add_mtext("Turned text\\Pon two lines", dxfattribs={"char_height": 1.0, "insert": (0, 6), "rotation": 30})
    doc.saveas(path)


def sheets(path):
    """Model space seen through two viewports of the layout "Sheet A", the second with WALLS frozen in it."""
    doc = ezdxf.new("R2018", setup=True)
    msp = doc.modelspace()
    doc.layers.add("WALLS", color=1)
    doc.layers.add("FURN", color=3)
    msp.add_lwpolyline([(0, 0), (100, 0), (100, 60), (0, 60)], close=True, dxfattribs={"layer": "WALLS"})
    msp.add_circle((30, 30), 10, dxfattribs={"layer": "FURN"})
    msp.add_circle((70, 30), 10, dxfattribs={"layer": "FURN"})
    msp.add_line((0, 30), (100, 30))
    sheet = doc.layouts.new("Sheet A")
    sheet.page_setup(size=(297, 210), margins=(0, 0, 0, 0), units="mm")
    sheet.add_viewport(center=(100, 110), size=(160, 120), view_center_point=(50, 30), view_height=80)
    closer = sheet.add_viewport(center=(240, 60), size=(80, 60), view_center_point=(70, 30), view_height=80)
    closer.frozen_layers = ["WALLS"]
    sheet.add_lwpolyline([(5, 5), (292, 5), (292, 205), (5, 205)], close=True)
    doc.saveas(path)


def meshes(path):
    """A polyface cube (its faces' edges), a 3 by 4 polygon mesh and a MESH pyramid, away from the origin, whose corner
    must stay empty: the polyface's face records' zero points are not vertices of a path."""
    doc = ezdxf.new("R2018")
    msp = doc.modelspace()
    cube = msp.add_polyface()
    p = [(10, 10, 0), (16, 10, 0), (16, 16, 0), (10, 16, 0), (12, 12, 4), (18, 12, 4), (18, 18, 4), (12, 18, 4)]
    for face in [(0, 1, 2, 3), (4, 5, 6, 7), (0, 1, 5, 4), (1, 2, 6, 5), (2, 3, 7, 6), (3, 0, 4, 7)]:
        cube.append_face([p[i] for i in face])
    cube.optimize()
    mesh = msp.add_polymesh(size=(3, 4))
    for m in range(3):
        for n in range(4):
            mesh.set_mesh_vertex((m, n), (22 + n * 2, 8 + m * 3, 0))
    pyramid = msp.add_mesh()
    with pyramid.edit_data() as data:
        data.vertices = [(2, 14, 0), (8, 14, 0), (8, 20, 0), (2, 20, 0), (5, 17, 3)]
        data.faces = [(0, 1, 4), (1, 2, 4), (2, 3, 4), (3, 0, 4)]
    doc.saveas(path)


def twisted(path):
    """A line along model space's x axis, seen in the layout "Twisted" through a viewport turned a quarter (51 = 90):
    it runs up the sheet, at x = 100 from y = 70, cut at the frame's top (150)."""
    doc = ezdxf.new("R2018", setup=True)
    doc.modelspace().add_line((0, 0), (100, 0))
    sheet = doc.layouts.new("Twisted")
    viewport = sheet.add_viewport(center=(100, 100), size=(100, 100), view_center_point=(0, 30), view_height=100)
    viewport.dxf.view_twist_angle = 90
    doc.saveas(path)


def attributed(path):
    """counting_drawings.py's drawing of attributed and nested references, for the live editor's BOMFIND."""
    import counting_drawings
    doc = ezdxf.new("R2018")
    counting_drawings.attributed(doc)
    doc.saveas(path)


def render_ezdxf(drawing, window, size, out, layout_name=None):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    from ezdxf.addons.drawing import Frontend, RenderContext
    from ezdxf.addons.drawing.matplotlib import MatplotlibBackend
    from ezdxf.addons.drawing.properties import LayoutProperties

    doc = ezdxf.readfile(drawing)
    msp = doc.layouts.get(layout_name) if layout_name else doc.modelspace()
    width, height = size
    fig = plt.figure(figsize=(width / 100, height / 100), dpi=100)
    ax = fig.add_axes([0, 0, 1, 1])
    ctx = RenderContext(doc)
    properties = LayoutProperties.from_layout(msp)
    properties.set_colors("#ffffff")
    Frontend(ctx, MatplotlibBackend(ax, adjust_figure=False)).draw_layout(msp, finalize=False,
                                                                        layout_properties=properties)
    ax.set_xlim(window[0], window[2])
    ax.set_ylim(window[1], window[3])
    ax.set_axis_off()
    ax.margins(0)
    fig.patch.set_facecolor("#ffffff")
    ax.set_facecolor("#ffffff")
    fig.savefig(out, dpi=100, facecolor="#ffffff")
    plt.close(fig)


def ink(path):
    import matplotlib.image
    import numpy
    image = matplotlib.image.imread(path)[:, :, :3]
    return numpy.any(image < 0.8, axis=2)


def near(mask, radius):
    import numpy
    grown = mask.copy()
    for dy in range(-radius, radius + 1):
        for dx in range(-radius, radius + 1):
            grown |= numpy.roll(numpy.roll(mask, dy, axis=0), dx, axis=1)
    return grown


def compare(drawing, ours, window, size, layout_name=None):
    theirs = ours + ".ezdxf.png"
    render_ezdxf(drawing, window, size, theirs, layout_name)
    a = ink(ours)
    b = ink(theirs)
    if a.shape != b.shape:
        print(f"sizes differ: {a.shape} {b.shape}")
        sys.exit(1)
    ours_near = (a & near(b, 3)).sum() / max(1, a.sum())
    theirs_near = (b & near(a, 3)).sum() / max(1, b.sum())
    print(f"ours {ours_near:.2f} theirs {theirs_near:.2f}")


def main():
    makers = {"make": make, "attributed": attributed, "undrawable": undrawable, "layers": layers, "styles": styles, "sheets": sheets,
              "texts": texts, "twisted": twisted, "meshes": meshes}
    if sys.argv[1] in makers:
        makers[sys.argv[1]](sys.argv[2])
    else:
        window = [float(v) for v in sys.argv[4].split(",")]
        size = [int(v) for v in sys.argv[5].lower().split("x")]
        compare(sys.argv[2], sys.argv[3], window, size, sys.argv[6] if len(sys.argv) > 6 else None)


if __name__ == "__main__":
    main()
