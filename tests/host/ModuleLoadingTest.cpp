#include "platform/cad/Host.h"
#include "platform/cad/arx/acdocman.h"
#include "platform/cad/arx/aced.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct CommandRow {
    std::string group;
    std::string globalName;
    std::string localName;
    int flags;
    friend bool operator==(const CommandRow&, const CommandRow&) = default;
};

std::vector<CommandRow> CommandsOfGroup(const char* group) {
    std::vector<CommandRow> rows;
    for (const cad::Command& c : cad::Host::Instance().Commands().Commands()) {
        if (c.group == group)
            rows.push_back({c.group, c.globalName, c.localName, c.flags});
    }
    return rows;
}

const std::vector<CommandRow> kRegistered = {
    {"VirivIdiro_Group", "VirivIdiro_Global", "KXBOMT", 0},
    {"VirivIdiro_Group", "CalcPrice_Global", "KXBOMC", 1},
};

// The real module, loaded through the host's loader for each test and unloaded after it.
class LoadedModule : public ::testing::Test {
protected:
    void SetUp() override {
        acDocManagerPtr(); // the host's own document bookkeeping is in place before we count
        m_reactorsBefore = Host().Documents().ReactorCount();
        std::string error;
        ASSERT_TRUE(Host().Modules().Load(VANTOREL_MODULE_PATH, error)) << error;
    }
    void TearDown() override {
        std::string error;
        if (Host().Modules().FindByPath(Path())) {
            EXPECT_TRUE(Host().Modules().Unload(VANTOREL_MODULE_PATH, error)) << error;
        }
    }
    static cad::Host& Host() { return cad::Host::Instance(); }
    static std::string Path() { return Host().Modules().Modules().empty() ? "" : Host().Modules().Modules()[0].path; }
    static void* AppId() { return Host().Modules().Modules().at(0).handle; }
    std::size_t m_reactorsBefore = 0;
};

TEST_F(LoadedModule, LoadingRegistersBothCommandsInOrderAndUnlocksTheModule) {
    EXPECT_EQ(CommandsOfGroup("VirivIdiro_Group"), kRegistered);
    const cad::LoadedModule& module = Host().Modules().Modules().at(0);
    EXPECT_TRUE(module.unlocked);
    EXPECT_TRUE(module.mdiAware);
    EXPECT_EQ(Host().Documents().ReactorCount(), m_reactorsBefore + 1) << "the document store registers itself";
    EXPECT_GE(acedInitAcUiDLLCount(), 1);
}

TEST_F(LoadedModule, UnloadingLeavesNoCommandAndLoadingAgainRegistersAgain) {
    std::string error;
    ASSERT_TRUE(Host().Modules().Unload(VANTOREL_MODULE_PATH, error)) << error;
    EXPECT_TRUE(CommandsOfGroup("VirivIdiro_Group").empty());
    EXPECT_EQ(Host().Documents().ReactorCount(), m_reactorsBefore) << "the library really left the process";
    ASSERT_TRUE(Host().Modules().Load(VANTOREL_MODULE_PATH, error)) << error;
    EXPECT_EQ(CommandsOfGroup("VirivIdiro_Group"), kRegistered);
    EXPECT_EQ(Host().Documents().ReactorCount(), m_reactorsBefore + 1);
}

TEST_F(LoadedModule, OtherMessagesAnswerZeroAndChangeNothing) {
    for (int message : {0, 3, 4, 13, 99, -1}) {
        EXPECT_EQ(Host().Modules().SendMessage(AppId(), message), 0) << "message " << message;
        EXPECT_EQ(CommandsOfGroup("VirivIdiro_Group"), kRegistered) << "message " << message;
    }
    EXPECT_EQ(Host().Modules().SendMessage(AppId(), 1), 0);
    EXPECT_EQ(Host().Modules().SendMessage(AppId(), 2), 0);
    EXPECT_TRUE(CommandsOfGroup("VirivIdiro_Group").empty());
}

TEST_F(LoadedModule, EveryCommandLeavesTheResourceStackAsItFoundIt) {
    cad::DocumentManager& documents = Host().Documents();
    documents.PushResourceHandle(&documents); // something of the host's own below
    for (const char* typed : {"KXBOMT", "kxbomc", "_VirivIdiro_Global", "_CalcPrice_Global", "KXBOMT"}) {
        EXPECT_EQ(Host().RunCommand(typed), cad::RtNorm) << typed;
        EXPECT_EQ(documents.ResourceStackDepth(), 1u) << typed;
        EXPECT_EQ(documents.CurrentResourceHandle(), &documents) << typed;
    }
    EXPECT_TRUE(documents.PopResourceHandle());
}

TEST_F(LoadedModule, ClosingADocumentErasesNothingVisibleAndReportsNothing) {
    cad::Document& extra = Host().Documents().NewDocument("Plan2.dwg");
    Host().GetEditor().ClearCommandLine();
    Host().GetEditor().ClearAlerts();
    std::size_t documents = Host().Documents().DocumentCount();
    Host().Documents().CloseDocument(&extra);
    EXPECT_EQ(Host().Documents().DocumentCount(), documents - 1);
    EXPECT_EQ(Host().GetEditor().CommandLine(), "");
    EXPECT_TRUE(Host().GetEditor().Alerts().empty());
    EXPECT_EQ(CommandsOfGroup("VirivIdiro_Group"), kRegistered);
    EXPECT_EQ(Host().Documents().ReactorCount(), m_reactorsBefore + 1);
    EXPECT_EQ(Host().RunCommand("KXBOMT"), cad::RtNorm);
}

TEST(ModuleRefusal, AModuleForAnotherInterfaceVersionIsNotLoaded) {
    std::string error;
    EXPECT_FALSE(cad::Host::Instance().Modules().Load(OTHER_VERSION_MODULE_PATH, error));
    EXPECT_EQ(error, std::string("Module ") + OTHER_VERSION_MODULE_PATH +
                         " was built for interface version 15, but this host loads only version 16.");
    EXPECT_TRUE(cad::Host::Instance().Modules().Modules().empty());
}

TEST(ModuleRefusal, ALibraryWithoutEntryPointsIsNotAModule) {
    std::string error;
    EXPECT_FALSE(cad::Host::Instance().Modules().Load(CAD_LIBRARY_PATH, error));
    EXPECT_EQ(error, std::string("Module ") + CAD_LIBRARY_PATH +
                         " is not a plug-in module: it lacks acrxEntryPoint or acrxGetApiVersion.");
    EXPECT_TRUE(cad::Host::Instance().Modules().Modules().empty());
}

TEST(ModuleRefusal, AModuleThatStaysLockedIsNotUnloaded) {
    cad::ModuleLoader& modules = cad::Host::Instance().Modules();
    std::string error;
    ASSERT_TRUE(modules.Load(LOCKED_MODULE_PATH, error)) << error;
    EXPECT_FALSE(modules.Load(LOCKED_MODULE_PATH, error));
    EXPECT_EQ(error, std::string("Module ") + LOCKED_MODULE_PATH + " is already loaded.");
    EXPECT_FALSE(modules.Unload(LOCKED_MODULE_PATH, error));
    EXPECT_EQ(error, std::string("Module ") + LOCKED_MODULE_PATH + " is locked and cannot be unloaded.");
    EXPECT_EQ(modules.Modules().size(), 1u);
    modules.UnloadAll(); // the host itself may, when it ends
    EXPECT_TRUE(modules.Modules().empty());
}

TEST(ModuleRefusal, UnknownCommandGetsTheHostsMessage) {
    cad::Host::Instance().GetEditor().ClearCommandLine();
    EXPECT_EQ(cad::Host::Instance().RunCommand("KXBOMT"), cad::RtError);
    EXPECT_EQ(cad::Host::Instance().GetEditor().CommandLine(), "Unknown command \"KXBOMT\".  Press F1 for help.\n");
}

} // namespace
