#include "host/ModuleState.h"
#include "host/ResourceScope.h"

#include "platform/cad/Host.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>

namespace {

TEST(ModulePath, KeepsAtMost259CharactersAndAlwaysEndsInsideTheBuffer) {
    int marker = 0;
    std::string longName(300, 'a');
    vantorel::AttachModule(&marker, longName.c_str());
    EXPECT_EQ(std::strlen(vantorel::modulePath), 259u);
    std::string exact(259, 'b');
    vantorel::AttachModule(&marker, exact.c_str());
    EXPECT_EQ(std::string(vantorel::modulePath), exact);
    vantorel::AttachModule(&marker, "/opt/vantorel/libvantorel.so");
    EXPECT_STREQ(vantorel::modulePath, "/opt/vantorel/libvantorel.so");
}

TEST(ModuleAttach, AttachesOnceAndDetachClearsTheFlag) {
    int first = 0;
    int second = 0;
    vantorel::DetachModule();
    vantorel::AttachModule(&first, "a.so");
    EXPECT_EQ(vantorel::TheModuleState().attached, 1);
    EXPECT_EQ(vantorel::TheModuleState().moduleResource, &first);
    vantorel::AttachModule(&second, "b.so"); // already attached: the handles stay
    EXPECT_EQ(vantorel::TheModuleState().moduleResource, &first);
    vantorel::DetachModule();
    EXPECT_EQ(vantorel::TheModuleState().attached, 0);
    vantorel::AttachModule(nullptr, "c.so"); // the framework refuses a module without an instance
    EXPECT_EQ(vantorel::TheModuleState().attached, 0);
}

TEST(ResourceScopeGuard, PushesTheModuleHandleAndPopsItOnEveryWayOut) {
    int instance = 0;
    vantorel::DetachModule();
    vantorel::AttachModule(&instance, "m.so");
    cad::DocumentManager& documents = cad::Host::Instance().Documents();
    std::size_t depth = documents.ResourceStackDepth();
    {
        vantorel::ResourceScope scope;
        EXPECT_EQ(documents.ResourceStackDepth(), depth + 1);
        EXPECT_EQ(documents.CurrentResourceHandle(), &instance);
    }
    EXPECT_EQ(documents.ResourceStackDepth(), depth);
    try {
        vantorel::ResourceScope scope;
        throw std::runtime_error("dialog failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(documents.ResourceStackDepth(), depth);
    vantorel::DetachModule();
}

} // namespace
