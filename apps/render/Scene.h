#pragma once

#include "render/Look.h"

#include "platform/cad/Database.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <string_view>
#include <vector>

#include <cairo.h>

namespace ui {
class Image;
}

// Model space as the drawing view and the plot show it: every entity flattened into world-coordinate lines,
// circular arcs, filled areas and texts, block references (and dimensions, tables) through their blocks, grouped
// by the model-space entity they come from, with a grid over the drawing's extents so that a view paints only
// what it shows. Built once when a drawing is read; painted onto any Cairo surface.
namespace render {

struct Box {
    double minX = 1e300;
    double minY = 1e300;
    double maxX = -1e300;
    double maxY = -1e300;
    bool Empty() const { return minX > maxX; }
    void Add(double x, double y);
    void Add(const Box& other);
    bool Intersects(const Box& other) const;
    bool Contains(const Box& other) const;
};

// World to screen: the world point at the view's centre and pixels per drawing unit; y grows upwards.
struct ViewTransform {
    double centreX = 0.0;
    double centreY = 0.0;
    double scale = 1.0;
    int width = 1;
    int height = 1;
    double ScreenX(double x) const { return (x - centreX) * scale + width / 2.0; }
    double ScreenY(double y) const { return height / 2.0 - (y - centreY) * scale; }
    double WorldX(double sx) const { return (sx - width / 2.0) / scale + centreX; }
    double WorldY(double sy) const { return (height / 2.0 - sy) / scale + centreY; }
    Box Visible() const;
    // The whole of `box` in view, with a margin.
    void Fit(const Box& box);
};

// Every line, curve, text and fill says how it is painted by an index into the scene's styles.
struct Segment {
    double x1, y1, x2, y2;
    std::uint16_t style = 0;
};
struct Curve {
    double cx, cy, r, start, end; // radians, counter-clockwise from start to end
    std::uint16_t style = 0;
};
struct Label {
    double x, y, height, angle;
    // Where its letters are in the scene's text: one buffer for all, not a string each.
    std::uint32_t textAt = 0, textLength = 0;
    std::uint8_t horizontal = 0; // 0 left, 1 centre, 2 right of the point
    std::uint8_t vertical = 0;   // 0 baseline, 1 bottom, 2 middle, 3 top
    float widthFactor = 1.0f;
    float oblique = 0.0f; // radians, slanting to the right
    bool backward = false; // mirrored in x
    bool upsideDown = false;
    // Aligned and fitted texts: the length their letters fill, drawing units; stretched (Fit) or scaled both ways
    // (Aligned). 0: as wide as the letters are.
    bool fitUniform = false;
    float fit = 0.0f;
    std::uint16_t face = 0; // the scene's faces
    std::uint16_t style = 0;
};
// Closed rings filled together by the even-odd rule: a solid, a hatch with its islands.
struct Ring {
    std::uint32_t firstPoint, points;
};
struct Fill {
    std::uint32_t firstRing, rings;
    std::uint16_t style = 0;
};

// A colour as 0xRRGGBB, or kForeground: colour 7, white on a dark background and black on a light one.
constexpr std::int32_t kForeground = -1;
// The surface's background: what a wipeout paints to hide what lies under it.
constexpr std::int32_t kBackground = -3;
// The RGB of colour index 1-255 of the CAD program's palette.
[[nodiscard]] std::int32_t IndexColour(int index);

// A layout of the drawing: "Model", or a paper-space layout by its tab's name, and the block record it draws.
struct LayoutEntry {
    std::string name;
    cad::ObjectId block = cad::kNullId;
};
// The drawing's layouts in the order of their tabs, model space first.
[[nodiscard]] std::vector<LayoutEntry> Layouts(const cad::Database& db);

struct Style {
    std::int32_t colour = kForeground;
    std::int16_t lineweight = -3; // hundredths of a millimetre; -3 the drawing's default
    bool operator==(const Style&) const = default;
};

// A layer as its entities are drawn.
struct LayerLook {
    int colour = 7;
    std::int32_t trueColour = -1;
    bool hidden = false; // off, frozen, or not plotted in a plot
    const Linetype* linetype = nullptr;
    std::int16_t lineweight = -3;
};

// What an entity is drawn with once BYLAYER and BYBLOCK are resolved; also what the entities of a block
// reference take BYBLOCK from, and the layer its entities on layer 0 are drawn as.
struct Pen {
    std::int32_t colour = kForeground;
    std::int16_t lineweight = -3;
    const Linetype* linetype = nullptr;
    double dashScale = 1.0; // from the linetype's lengths to drawing units
    const LayerLook* layer = nullptr;
};

struct Group {
    cad::ObjectId id = cad::kNullId;
    Box box;
    std::uint32_t firstSegment = 0, segments = 0;
    std::uint32_t firstCurve = 0, curves = 0;
    std::uint32_t firstLabel = 0, labels = 0;
    std::uint32_t firstFill = 0, fills = 0;
    std::uint16_t style = 0; // the entity's own, for a group too small to draw but as a dot
    std::uint32_t clip = 0;  // drawn inside the scene's clip box of this number (a viewport's), 0: unclipped
};

// How a surface is painted: the live view's dark background and one-pixel lines written straight into its
// image, or a plot's background and antialiased strokes any surface takes (PNG, PDF, SVG).
struct PaintStyle {
    double background[3] = {0.13, 0.16, 0.19};
    bool pixelLines = true;
    double lineWidth = 1.0; // in pixels (points on a vector surface)
    // Lineweights drawn at this many pixels (points) to a millimetre, never thinner than `lineWidth`; 0: every
    // line `lineWidth` wide.
    double pixelsPerMm = 0.0;
};

class Scene {
public:
    // Reads model space (or the layout whose block record is `space`, its viewports showing model space) afresh;
    // for a plot, layers marked not to be plotted are left out too.
    void Build(const cad::Database& db, bool forPlot = false, cad::ObjectId space = cad::kNullId);
    // After a command: the list brought up to date. Entities added to model space are added to it and erased ones
    // taken out; anything else (another drawing or layout, a layer or an entity changed in place, a block's
    // contents) builds it afresh. True when it could be patched.
    bool Refresh(const cad::Database& db, bool forPlot = false, cad::ObjectId space = cad::kNullId);
    const Box& Extents() const { return m_extents; }
    const DrawingLook& Look() const { return m_look; }
    const std::vector<Style>& Styles() const { return m_styles; }
    std::size_t GroupCount() const { return m_groups.size(); }
    std::size_t SegmentCount() const { return m_segments.size(); }
    // What the command line is told once about the drawing: what was not drawn, fonts drawn in another face,
    // linetypes whose shapes show as dashes.
    std::vector<std::string> Notes() const;
    const std::vector<std::string>& Faces() const { return m_faces; }

    // Paints the part of the drawing in view; groups in `highlighted` (sorted ids) are drawn dashed; lines as wide
    // as their lineweights when `lineweights` (the LWDISPLAY switch).
    void Render(ui::Image& image, const ViewTransform& view, const std::vector<cad::ObjectId>& highlighted,
                bool lineweights) const;
    // Paints onto `cr`, whose surface is `view.width` by `view.height` units, as `style` says. `image` is the
    // surface's image when it is one (for pixel lines), else null.
    void Paint(cairo_t* cr, ui::Image* image, const ViewTransform& view, const PaintStyle& style,
               const std::vector<cad::ObjectId>& highlighted) const;

    // The entity whose drawing passes nearest to the point, within `tolerance` drawing units.
    cad::ObjectId Pick(double x, double y, double tolerance) const;
    // Entities wholly inside the box (a window), or with some part in it (crossing), in drawing order.
    std::vector<cad::ObjectId> InBox(const Box& box, bool crossing) const;
    // What the entities (sorted ids) take up as drawn; empty when none of them draws anything.
    Box BoxOf(const std::vector<cad::ObjectId>& ids) const;

    // For the builders of opaque entities' geometry: what they add to the group being built.
    void AddSegment(Group& group, double x1, double y1, double x2, double y2);
    void AddCurve(Group& group, const Curve& curve);
    void AddLabel(Group& group, Label label, std::string_view text, double width);
    std::string_view TextOf(const Label& label) const { return std::string_view(m_text).substr(label.textAt, label.textLength); }
    void AddFill(Group& group, const std::vector<std::vector<std::pair<double, double>>>& rings);
    // The block's entities, drawn with BYBLOCK taken from the pen of the entity being built.
    void AddBlock(const cad::Database& db, cad::ObjectId blockId, const struct Placement& at, Group& group, int depth);
    // What is added while this is on (an XLINE, a RAY) is drawn but leaves the drawing's extents alone.
    void SetUnbounded(bool on) {
        m_unbounded = on;
        m_sawUnbounded = m_sawUnbounded || on;
    }
    // Lines added while dashing is off keep no linetype: a hatch's pattern lines have their own dashes.
    void SetDashing(bool on) { m_dashing = on; }
    // What is added next is drawn in this colour (a gradient's first), with the entity's lineweight.
    void UseColour(std::int32_t rgb) { m_style = StyleIndex(Style{rgb, m_pen.lineweight}); }
    // Sizes that follow the drawing's extents (a point's shape at PDSIZE 0): known before the scene is built.
    double DrawingHeight() const { return m_drawingHeight; }
    void NoteNotDrawn(const std::string& kind);
    void NoteShx(const std::string& font);
    std::uint16_t FaceIndex(const std::string& face);
    // The face of a text style, found once a style.
    std::uint16_t FaceOfStyle(const cad::Database& db, cad::ObjectId styleId);
    std::int32_t PenColour() const { return m_pen.colour; }
    // The bytes the file holds for an opaque entity or a polyline, as read; empty when there are none.
    std::string_view BytesOf(const cad::Database& db, cad::ObjectId id) const;

private:
    // Where the file's bytes of its opaque entities, shaped polylines and layers are: wanted while building only.
    void IndexFileBytes(const cad::Database& db);
    // What the drawing's layers look like, as one number: any change to one changes it.
    static std::uint64_t LayerSignature(const cad::Database& db);
    // How many entities each block has now, for Refresh to tell a block that changed.
    void RememberBlockSizes(const cad::Database& db);
    // Where the hashes of ids and layers start (FNV-1a's offset basis).
    static constexpr std::uint64_t kHashSeed = 14695981039346656037ULL;
    // The ids of a space's entities, in order, as one number, going on from `hash`.
    static std::uint64_t IdsHash(std::uint64_t hash, const cad::ObjectId* first, const cad::ObjectId* last);
    // Everything but the entities: the drawing's look and layers, the first style and face.
    void Prepare(const cad::Database& db, bool forPlot, cad::ObjectId space);
    // The groups of these entities of the space being built, in order.
    void AddEntities(const cad::Database& db, const cad::ObjectId* first, const cad::ObjectId* last);
    // What could not be drawn, by kind, said so: "not drawn: 12 REGION, 3 3DSOLID"; empty when everything was.
    std::string NotDrawnNote() const;
    void AddEntity(const cad::Database& db, cad::ObjectId id, const struct Placement& at, Group& group, int depth,
                   const Pen& outer);
    void ReadLayers(const cad::Database& db, bool forPlot);
    Group StartGroup(cad::ObjectId id) const;
    bool IsViewport(const cad::Database& db, cad::ObjectId id) const;
    // A paper-space viewport's view of model space, scaled and clipped to it, with its frozen layers hidden.
    void AddViewport(const cad::Database& db, cad::ObjectId id);
    const LayerLook* LayerOf(const cad::Entity& entity);
    Pen PenOf(const cad::Entity& entity, const struct Placement& at, int depth, const Pen& outer);
    void UsePen(const Pen& pen);
    std::uint16_t StyleIndex(const Style& style);
    void PushSegment(Group& group, double x1, double y1, double x2, double y2);
    // The group's box, and the box of what it adds to the extents, take the point.
    void Grow(Group& group, double x, double y);
    // True (and said once) when the group has as many pieces as one entity may draw.
    bool Exhausted(const Group& group);
    void Index();
    // These groups (in drawing order) over what the surface has.
    void PaintGroups(cairo_t* cr, ui::Image* image, const ViewTransform& view, const PaintStyle& style,
                     const std::vector<std::uint32_t>& groups, const std::vector<cad::ObjectId>& highlighted) const;
    // A big drawing seen whole, or nearly: the view from an image of all of it made once, the highlighted groups
    // drawn over it. False when the view is to be painted group by group.
    bool PaintFromOverview(cairo_t* cr, ui::Image& image, const ViewTransform& view, const PaintStyle& style,
                           const std::vector<cad::ObjectId>& highlighted) const;
    // The groups whose boxes meet `box`, each once.
    std::vector<std::uint32_t> GroupsMeeting(const Box& box) const;
    double Distance(const Group& group, double x, double y) const;
    bool Crosses(const Group& group, const Box& box) const;

    std::vector<Group> m_groups;
    std::vector<Segment> m_segments;
    std::vector<Curve> m_curves;
    std::vector<Label> m_labels;
    std::string m_text;
    std::vector<std::pair<double, double>> m_fillPoints;
    std::vector<Ring> m_rings;
    std::vector<Fill> m_fills;
    std::vector<std::pair<std::string, std::size_t>> m_notDrawn;
    DrawingLook m_look;
    std::vector<std::string> m_faces;
    std::vector<std::string> m_shxFonts;
    std::vector<std::string> m_shapedLinetypes;
    std::map<std::string, LayerLook> m_layers; // by upper-case name
    std::unordered_map<const char*, const LayerLook*> m_layerOfText; // by the entity's interned name
    std::unordered_map<const char*, const Linetype*> m_linetypeOfText;
    std::unordered_map<cad::ObjectId, std::uint16_t> m_faceOfStyle;
    LayerLook m_unknownLayer;
    std::vector<Style> m_styles;
    std::vector<Box> m_clips; // clip box n is m_clips[n - 1]
    std::vector<cad::ObjectId> m_expanding; // the blocks being drawn, outermost first
    bool m_cutShort = false;
    std::size_t m_visits = 0; // entities looked at for the group being built
    bool m_paper = false;
    std::unordered_map<std::uint64_t, std::uint16_t> m_styleOf;
    // While building: the entity's pen and style, and where its dashes are when a path goes on.
    Pen m_pen;
    std::uint16_t m_style = 0;
    bool m_dashing = true;
    bool m_unbounded = false;
    bool m_sawUnbounded = false; // the group being built has unbounded pieces: its extents are m_bounded
    Box m_bounded;
    bool m_dashOpen = false;
    double m_dashPhase = 0.0;
    double m_dashX = 0.0;
    double m_dashY = 0.0;
    std::vector<double> m_dashElements;
    double m_dashLength = 0.0;
    double m_drawingHeight = 1.0;
    // The bytes of opaque entities in the drawing file, by id: read for their geometry while building.
    const cad::Database* m_db = nullptr;
    std::vector<std::pair<cad::ObjectId, std::size_t>> m_itemOf;
    Box m_extents;
    // What the list was built from, for Refresh: the drawing, the space and its entities in order (erased or not,
    // and the group each made, -1 for none), the blocks' sizes, the layers, the last object and touch then.
    const cad::Database* m_builtFrom = nullptr;
    cad::ObjectId m_builtSpace = cad::kNullId;
    bool m_builtForPlot = false;
    std::uint64_t m_spaceHash = 0; // of its entities' ids in order
    std::vector<bool> m_spaceErased;
    std::vector<std::int32_t> m_groupOfEntity;
    std::vector<std::pair<cad::ObjectId, std::size_t>> m_blockSizes;
    std::uint64_t m_layerSignature = 0;
    cad::ObjectId m_builtLastId = cad::kNullId;
    std::uint64_t m_builtTouches = 0;
    // The grid: cells of m_cell drawing units from the extents' corner, each listing its groups.
    double m_cell = 1.0;
    int m_columns = 0;
    int m_rows = 0;
    // Cell n's groups are m_cellGroups[m_cellStart[n]] up to m_cellGroups[m_cellStart[n + 1]].
    std::vector<std::uint32_t> m_cellStart;
    std::vector<std::uint32_t> m_cellGroups;
    // Groups too big for the grid's cells are looked at every time.
    std::vector<std::uint32_t> m_large;
    // The whole drawing painted once, then halved and halved again keeping the ink of every pixel, for views that
    // show it no bigger than the first; made by the first such view, gone when the scene changes.
    struct Overview {
        std::vector<std::shared_ptr<ui::Image>> levels; // each half the one before
        double scale = 0.0;     // the first level's pixels to a drawing unit
        double left = 0.0;      // the drawing's x at its left edge
        double top = 0.0;       // and y at its top
        double lineweightsPerMm = 0.0;
    };
    mutable Overview m_overview;
    mutable std::vector<std::uint32_t> m_seen;
    mutable std::uint32_t m_stamp = 0;
};

} // namespace render
