#include "render/Plot.h"

#include "render/Scene.h"

#include "platform/cad/Text.h"
#include "platform/files/ReplacingWrite.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace render {

namespace {
cairo_status_t Append(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

std::string Extension(const std::string& path) {
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos)
        return {};
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return ext;
}

// The view of a plot: the window filling the image exactly when it has the image's shape, else centred and
// widened to it; without a window the extents with a margin.
ViewTransform PlotView(const Scene& scene, const PlotOptions& o) {
    ViewTransform view;
    view.width = o.width;
    view.height = o.height;
    if (!o.windowGiven) {
        view.Fit(scene.Extents());
        return view;
    }
    double x1 = std::min(o.window[0], o.window[2]), x2 = std::max(o.window[0], o.window[2]);
    double y1 = std::min(o.window[1], o.window[3]), y2 = std::max(o.window[1], o.window[3]);
    view.centreX = (x1 + x2) / 2;
    view.centreY = (y1 + y2) / 2;
    double w = std::max(x2 - x1, 1e-9);
    double h = std::max(y2 - y1, 1e-9);
    view.scale = std::min(o.width / w, o.height / h);
    return view;
}
} // namespace

bool PlotDrawing(const cad::Database& db, const PlotOptions& o, std::string& why,
                 std::vector<std::string>& notes) {
    std::string format = Extension(o.output);
    if (format != "png" && format != "pdf" && format != "svg") {
        why = "a plot is written as PNG, PDF or SVG: give -o a name ending in .png, .pdf or .svg";
        return false;
    }
    cad::ObjectId space = db.ModelSpaceId();
    if (!o.layout.empty()) {
        std::vector<LayoutEntry> layouts = Layouts(db);
        auto chosen = std::find_if(layouts.begin(), layouts.end(),
                                   [&](const LayoutEntry& l) { return cad::NamesEqual(l.name, o.layout); });
        if (chosen == layouts.end()) {
            why = "the drawing has no layout named \"" + o.layout + "\": its layouts are";
            for (std::size_t i = 0; i < layouts.size(); ++i)
                why += (i ? ", " : " ") + layouts[i].name;
            return false;
        }
        space = chosen->block;
    }
    Scene scene;
    scene.Build(db, true, space);
    notes = scene.Notes();
    ViewTransform view = PlotView(scene, o);
    PaintStyle style;
    double shade = o.blackBackground ? 0.0 : 1.0;
    std::fill(std::begin(style.background), std::end(style.background), shade);
    style.pixelLines = false;
    style.lineWidth = format == "png" ? 1.0 : 0.5;
    // Lineweights always show on paper: a PNG's pixels at 96 to the inch, a vector page's points.
    style.pixelsPerMm = format == "png" ? 96.0 / 25.4 : 72.0 / 25.4;
    std::string bytes;
    cairo_surface_t* surface = nullptr;
    if (format == "png")
        surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, o.width, o.height);
    else if (format == "pdf")
        surface = cairo_pdf_surface_create_for_stream(Append, &bytes, o.width, o.height);
    else
        surface = cairo_svg_surface_create_for_stream(Append, &bytes, o.width, o.height);
    cairo_t* cr = cairo_create(surface);
    scene.Paint(cr, nullptr, view, style, {});
    cairo_destroy(cr);
    if (format == "png")
        cairo_surface_write_to_png_stream(surface, Append, &bytes);
    cairo_surface_finish(surface);
    cairo_status_t status = cairo_surface_status(surface);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        why = std::string("cannot plot: ") + cairo_status_to_string(status);
        return false;
    }
    files::ReplacingWrite file;
    if (!file.Open(o.output, why))
        return false;
    for (std::size_t at = 0; at < bytes.size();) {
        ssize_t wrote = write(file.Descriptor(), bytes.data() + at, bytes.size() - at);
        if (wrote <= 0) {
            why = "cannot write " + o.output + ": " + std::strerror(errno);
            return false;
        }
        at += static_cast<std::size_t>(wrote);
    }
    return file.Commit(why);
}

} // namespace render
