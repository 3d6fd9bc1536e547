// Any bytes the drawing reader accepts go on to the renderer: the display list of model space and of every layout
// (for the view and for a plot), painted onto a small image. Damaged geometry, blocks that refer to themselves,
// patterns and linetypes with absurd numbers must draw or be left out, never crash or hang.
#include "render/Scene.h"

#include "platform/cad/dxf/DxfReader.h"
#include "platform/ui/Canvas.h"

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view content(reinterpret_cast<const char*>(data), size);
    std::unique_ptr<cad::Database> database;
    if (!cad::ReadDxfText(content, cad::CodePage::Default(), database).Ok())
        return 0;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 64, 48);
    cairo_t* cr = cairo_create(surface);
    for (const render::LayoutEntry& layout : render::Layouts(*database)) {
        for (bool forPlot : {false, true}) {
            render::Scene scene;
            scene.Build(*database, forPlot, layout.block);
            render::ViewTransform view;
            view.width = 64;
            view.height = 48;
            view.Fit(scene.Extents());
            render::PaintStyle style;
            style.pixelLines = false;
            style.pixelsPerMm = forPlot ? 96.0 / 25.4 : 0.0;
            scene.Paint(cr, nullptr, view, style, {});
            [[maybe_unused]] std::vector<std::string> notes = scene.Notes();
        }
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return 0;
}
