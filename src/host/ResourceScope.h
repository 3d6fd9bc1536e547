#pragma once

namespace vantorel {

// Makes the framework load dialog templates and strings from this module for as long as it lives. Every
// command opens one first and lets it end last, on every way out.
class ResourceScope {
public:
    [[nodiscard]] ResourceScope();
    ~ResourceScope();
    ResourceScope(const ResourceScope&) = delete;
    ResourceScope& operator=(const ResourceScope&) = delete;
};

} // namespace vantorel
