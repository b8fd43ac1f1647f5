// Loading the link module: found beside the executable, missing, and a
// module without the create export; and the module's link on each port kind.

#include "LinkModule.h"
#include "LinkTestSupport.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

namespace lumex::test {
namespace {

// Sets an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (m_old) setenv(m_name, m_old->c_str(), 1);
        else unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(LinkModule, FoundBesideTheExecutable) {
    // The tests are built into the same folder as the module.
    EXPECT_EQ(LinkModule::ExecutableFolder(), LUMEX_BIN_DIR);
    ScopedEnv port("LUMEX_PORT", "sim");
    std::string error = "stale";
    auto module = LinkModule::Load("", error);
    ASSERT_NE(module, nullptr) << error;
    EXPECT_TRUE(error.empty());
    EXPECT_TRUE(module->CanDestroyLink());
    EXPECT_EQ(module->Path(), std::string(LUMEX_BIN_DIR) + "/libSerKtvDL.so");

    // Port "sim" is the in-process virtual ECU, which reports its own state.
    EcuLink* link = module->Link();
    ASSERT_NE(link, nullptr);
    RecordingScreen screen;
    link->SetOptionA(0);
    link->SetOptionB(4);
    link->SetScreen(&screen);
    ASSERT_TRUE(link->OpenPort());
    ASSERT_EQ(link->Connect(), 1);
    std::uint8_t ident[4] = {};
    ASSERT_TRUE(link->ReadIdent(ident));
    EXPECT_EQ(ident[0], 7);
    EXPECT_EQ(screen.StateChanges(), (std::vector<std::intptr_t>{1}));
}

// The module is found beside a program installed under a long path (beyond
// any fixed path buffer): lumexctl then gets as far as opening the port.
TEST(LinkModule, FoundBesideAProgramUnderALongPath) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("lumex-longpath-" + std::to_string(getpid()));
    fs::path deep = root;
    for (int i = 0; i < 5; ++i) deep /= std::string(60, static_cast<char>('a' + i));
    fs::create_directories(deep);
    ASSERT_GT(deep.string().size(), 300u);
    fs::copy_file(LUMEXCTL, deep / "lumexctl");
    fs::copy_file(std::string(LUMEX_BIN_DIR) + "/libSerKtvDL.so", deep / "libSerKtvDL.so");

    QProcess lumexctl;
    lumexctl.start(QString::fromStdString((deep / "lumexctl").string()),
                   {"--port", "/dev/lumex-no-such-port", "ident"});
    ASSERT_TRUE(lumexctl.waitForFinished(20000));
    const std::string err = lumexctl.readAllStandardError().toStdString();
    fs::remove_all(root);
    EXPECT_EQ(lumexctl.exitCode(), 1);
    EXPECT_NE(err.find("cannot open port"), std::string::npos) << err;
}

TEST(LinkModule, ModuleLinkTalksToADevicePort) {
    SimulatedEcu sim;
    sim.ecu.SetIdent({7, 0, 1, 51});
    sim.Start();
    ScopedEnv port("LUMEX_PORT", sim.pty.path());
    std::string error;
    auto module = LinkModule::Load(LUMEX_BIN_DIR, error);
    ASSERT_NE(module, nullptr) << error;
    EcuLink* link = module->Link();
    ASSERT_TRUE(link->OpenPort());
    ASSERT_EQ(link->Connect(), 1);
    EXPECT_EQ(link->GetPort(), sim.pty.number());
    std::uint8_t ident[4] = {};
    ASSERT_TRUE(link->ReadIdent(ident));
    EXPECT_EQ(ident[3], 51);
}

TEST(LinkModule, MissingModuleGivesTheSystemText) {
    const auto empty = std::filesystem::temp_directory_path() / "lumex-no-module-here";
    std::filesystem::create_directories(empty);
    std::string error;
    EXPECT_EQ(LinkModule::Load(empty.string(), error), nullptr);
    EXPECT_NE(error.find("libSerKtvDL.so"), std::string::npos) << error;
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
}

TEST(LinkModule, ModuleWithoutCreateExportIsRefused) {
    std::string error;
    EXPECT_EQ(LinkModule::LoadFile(LUMEX_NO_CREATE_MODULE, error), nullptr);
    EXPECT_NE(error.find("\"_CreateClassInstance\""), std::string::npos) << error;
    EXPECT_NE(error.find(LUMEX_NO_CREATE_MODULE), std::string::npos) << error;
}

TEST(LinkModule, FileThatIsNoLibraryGivesTheSystemText) {
    const auto path = std::filesystem::temp_directory_path() / "lumex-not-a-module.so";
    { std::ofstream(path) << "not a shared object"; }
    std::string error;
    EXPECT_EQ(LinkModule::LoadFile(path.string(), error), nullptr);
    EXPECT_NE(error.find(path.string()), std::string::npos) << error;
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace lumex::test
