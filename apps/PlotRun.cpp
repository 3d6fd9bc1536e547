#include "PlotRun.h"

#include "CliCommon.h"
#include "render/Plot.h"

#include "platform/cad/Host.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace hostapp {

int RunPlot(const PlotArguments& a) {
    render::PlotOptions options;
    options.output = a.output;
    if (!a.window.empty()) {
        std::stringstream in(a.window);
        std::string item;
        int count = 0;
        while (std::getline(in, item, ',') && count < 5) {
            char* end = nullptr;
            double value = std::strtod(item.c_str(), &end);
            if (item.empty() || *end != '\0')
                count = 5;
            else if (count < 4)
                options.window[count] = value;
            ++count;
        }
        if (count != 4 || options.window[0] == options.window[2] || options.window[1] == options.window[3]) {
            std::fprintf(stderr, "vantorel: --window takes X1,Y1,X2,Y2, two opposite corners of a window with an area\n");
            return kExitUsage;
        }
        options.windowGiven = true;
    }
    if (!a.size.empty()) {
        int width = 0;
        int height = 0;
        char x = 0;
        char extra = 0;
        if (std::sscanf(a.size.c_str(), "%d%c%d%c", &width, &x, &height, &extra) != 3 || (x != 'x' && x != 'X') ||
            width < 16 || height < 16 || width > 20000 || height > 20000) {
            std::fprintf(stderr, "vantorel: --size takes WxH in pixels, each from 16 to 20000 (say 1600x1000)\n");
            return kExitUsage;
        }
        options.width = width;
        options.height = height;
    }
    if (a.background != "white" && a.background != "black") {
        std::fprintf(stderr, "vantorel: --background takes white or black\n");
        return kExitUsage;
    }
    options.blackBackground = a.background == "black";
    options.layout = a.layout;
    if (!OpenDrawing(a.drawing))
        return kExitDrawingRefused;
    std::string why;
    std::vector<std::string> notes;
    if (!render::PlotDrawing(cad::Host::Instance().WorkingDatabase(), options, why, notes)) {
        std::fprintf(stderr, "vantorel: %s\n", why.c_str());
        bool usage = why.rfind("a plot is written", 0) == 0 || why.rfind("the drawing has no layout", 0) == 0;
        return usage ? kExitUsage : kExitCommandFailed;
    }
    for (const std::string& note : notes)
        std::fprintf(stderr, "vantorel: %s: %s\n", a.drawing.c_str(), note.c_str());
    return kExitOk;
}

} // namespace hostapp
