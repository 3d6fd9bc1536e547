#include "bom/BomMessages.h"

#include "host/HostServices.h"

#include <cstdio>
#include <string>

namespace vantorel {

void AlertFileNotOpened(const char* path) {
    // Sized to the path, however long it is.
    int length = std::snprintf(nullptr, 0, kFileNotOpenedFormat, path);
    std::string message(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    std::snprintf(message.data(), message.size() + 1, kFileNotOpenedFormat, path);
    acedAlert(message.c_str());
}

} // namespace vantorel
