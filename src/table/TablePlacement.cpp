#include "table/TablePlacement.h"

#include <cmath>

namespace vantorel {

namespace {
constexpr int kKeyboardEvent = 2;
constexpr int kPickEvent = 3;
constexpr int kReturnKey = 13;
// Cursor motion is reported; ESC gives no console-break message.
constexpr int kTrackMotion = 9;
constexpr const char* kPlacementVariables[4] = {"ATTREQ", "CMDECHO", "SNAPMODE", "OSMODE"};

void CopyPoint(ads_point to, const ads_point from) {
    to[0] = from[0];
    to[1] = from[1];
    to[2] = from[2];
}

// The four variables as they were before the placement, written back however it ends.
class SavedVariables {
public:
    SavedVariables() {
        for (int i = 0; i < 4; ++i) {
            m_saved[i] = resbuf{};
            m_read[i] = acedGetVar(kPlacementVariables[i], &m_saved[i]) == RTNORM;
            resbuf working{};
            if (acedGetVar(kPlacementVariables[i], &working) == RTNORM) {
                working.restype = RTSHORT;
                working.resval.rint = 0;
                [[maybe_unused]] int written = acedSetVar(kPlacementVariables[i], &working);
            }
        }
    }
    ~SavedVariables() {
        for (int i = 0; i < 4; ++i) {
            if (m_read[i])
                [[maybe_unused]] int written = acedSetVar(kPlacementVariables[i], &m_saved[i]);
        }
    }
    SavedVariables(const SavedVariables&) = delete;
    SavedVariables& operator=(const SavedVariables&) = delete;

private:
    resbuf m_saved[4];
    bool m_read[4] = {};
};
} // namespace

void drawCornerRectangle(const ads_point p1, const ads_point p2) {
    ads_point a{p1[0], p2[1], 0.0};
    ads_point b{p2[0], p2[1], 0.0};
    ads_point c{p2[0], p1[1], 0.0};
    ads_point d{p1[0], p1[1], 0.0};
    acedGrDraw(a, b, -1, 1);
    acedGrDraw(b, c, -1, 1);
    acedGrDraw(c, d, -1, 1);
    acedGrDraw(d, a, -1, 1);
}

double dragTableCorner(const ads_point upperLeft, double width, double height) {
    ads_point corner{upperLeft[0] + width, upperLeft[1] - height, upperLeft[2]};
    const double baseWidth = std::fabs(upperLeft[0] - corner[0]);
    const double aspect = baseWidth / std::fabs(upperLeft[1] - corner[1]);
    double drawnWidth = baseWidth;
    bool first = true;
    for (;;) {
        int type = 0;
        resbuf event{};
        // A host that can give no more events ends the drag as ESC would, rather than wait for ever.
        if (acedGrRead(kTrackMotion, &type, &event) != RTNORM)
            break;
        if (type == kKeyboardEvent && event.restype == RTSHORT && event.resval.rint == kReturnKey) {
            drawCornerRectangle(upperLeft, corner);
            return 1.0;
        }
        if (type == kPickEvent) {
            drawCornerRectangle(upperLeft, corner);
            // Before any motion nothing was dragged: the table keeps its size.
            return first ? 1.0 : drawnWidth / baseWidth;
        }
        // A key or menu item carries a code, not a point: the rectangle stays where it is.
        if (event.restype != RTPOINT && event.restype != RT3DPOINT)
            continue;
        const double dx = std::fabs(event.resval.rpoint[0] - upperLeft[0]);
        const double dy = std::fabs(event.resval.rpoint[1] - upperLeft[1]);
        ads_point next{0.0, 0.0, upperLeft[2]};
        if (dy > dx) {
            drawnWidth = dy * aspect;
            next[0] = upperLeft[0] + dy * aspect;
            next[1] = event.resval.rpoint[1];
        } else {
            drawnWidth = dx;
            next[0] = event.resval.rpoint[0];
            next[1] = upperLeft[1] - dx / aspect;
        }
        if (first)
            first = false;
        else
            drawCornerRectangle(upperLeft, corner);
        drawCornerRectangle(upperLeft, next);
        CopyPoint(corner, next);
    }
    drawCornerRectangle(upperLeft, corner);
    acutPrintf("%s", kCancelNotice);
    return 1.0;
}

void placeTable(const char* tableBlockName, double tableWidth, double tableHeight) {
    SavedVariables saved;
    acedInitGet(1, nullptr);
    ads_point upperLeft{0.0, 0.0, 0.0};
    // A host error is no point to place the table at, so it is taken as a cancel.
    if (acedGetPoint(nullptr, kUpperLeftPrompt, upperLeft) != RTNORM)
        return;
    acutPrintf("%s", kLowerRightPrompt);
    double scale = dragTableCorner(upperLeft, tableWidth, tableHeight);
    [[maybe_unused]] int inserted = acedCommand(RTSTR, ".INSERT", RTSTR, tableBlockName, RTPOINT, upperLeft, RTREAL,
                                                scale, RTREAL, scale, RTSTR, "0", 0);
}

void placeTableAt(const char* tableBlockName, const AcGePoint3d& upperLeft, double scale) {
    SavedVariables saved;
    ads_point corner{upperLeft.x, upperLeft.y, upperLeft.z};
    [[maybe_unused]] int inserted = acedCommand(RTSTR, ".INSERT", RTSTR, tableBlockName, RTPOINT, corner, RTREAL,
                                                scale, RTREAL, scale, RTSTR, "0", 0);
}

} // namespace vantorel
