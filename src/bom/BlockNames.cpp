#include "bom/BlockNames.h"

#include "host/HostServices.h"

namespace vantorel {

namespace {
const unsigned char* Bytes(const char* text) {
    return reinterpret_cast<const unsigned char*>(text ? text : "");
}
} // namespace

void LowerBlockName(std::string& name) {
    if (!name.empty())
        _mbslwr(reinterpret_cast<unsigned char*>(name.data()));
}

bool BlockNamesEqual(const std::string& a, const std::string& b) {
    return a.size() == b.size() && _mbsicmp(Bytes(a.c_str()), Bytes(b.c_str())) == 0;
}

int CompareBlockNames(const char* a, const char* b) {
    return _mbsicmp(Bytes(a), Bytes(b));
}

int CompareNoCase(const char* a, const char* b) {
    return _stricmp(a ? a : "", b ? b : "");
}

bool IsTableBlockName(const std::string& name) {
    return name.size() == 7 && CompareNoCase(name.substr(0, 3).c_str(), "QVT") == 0;
}

} // namespace vantorel
