#pragma once

#include "platform/cad/Database.h"

#include <string>
#include <vector>

namespace hostapp {

struct BlockCount {
    std::string name;
    bool anonymous = false;
    bool external = false;
    long modelSpace = 0;
    long paperSpace = 0; // every layout
    long inBlocks = 0;   // inside other block definitions
    friend bool operator==(const BlockCount&, const BlockCount&) = default;
};

// Every block definition of the drawing but the layouts, in table order, with its references.
std::vector<BlockCount> CountBlocks(const cad::Database& database);
void PrintBlockCounts(const std::vector<BlockCount>& counts);

} // namespace hostapp
