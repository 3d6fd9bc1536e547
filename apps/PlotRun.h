#pragma once

// `vantorel plot`: a drawing plotted to PNG, PDF or SVG.
#include <string>

namespace hostapp {

struct PlotArguments {
    std::string drawing;
    std::string output;
    std::string window;     // "X1,Y1,X2,Y2"
    std::string size;       // "WxH"
    std::string background = "white";
    std::string layout;     // a paper-space layout's name; empty: model space
};

// The exit code, after saying what went wrong.
int RunPlot(const PlotArguments& arguments);

} // namespace hostapp
