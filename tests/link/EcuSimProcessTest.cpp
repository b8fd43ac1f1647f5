// lumex-ecusim as a separate program: the path it prints, its options, and a
// link that loses it half-way through a whole-record read.

#include "LinkTestSupport.h"

#include "ConfCar.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumex::test {
namespace {

class EcuSimProcess {
public:
    explicit EcuSimProcess(const QStringList& arguments) {
        m_process.start(LUMEX_ECUSIM, arguments);
        if (!m_process.waitForStarted(5000)) return;
        // The path comes on a line of its own as soon as the terminal exists.
        while (!m_process.canReadLine() && m_process.waitForReadyRead(5000)) {
        }
        m_path = QString::fromUtf8(m_process.readLine()).trimmed().toStdString();
    }
    ~EcuSimProcess() {
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) m_process.kill();
        m_process.waitForFinished(3000);
    }
    const std::string& path() const { return m_path; }
    QProcess& process() { return m_process; }

private:
    QProcess m_process;
    std::string m_path;
};

std::unique_ptr<SerialLink> ConnectTo(const std::string& path, RecordingScreen& screen) {
    auto link = std::make_unique<SerialLink>(SerialLink::Settings{path, 19200});
    link->SetScreen(&screen);
    if (!link->OpenPort() || link->Connect() != 1) return nullptr;
    return link;
}

TEST(EcuSimProgram, ServesItsIdentAndRefusals) {
    EcuSimProcess sim({"--ident", "7,2,1,40", "--refuse", "ChangeoverRpm", "--refuse", "62"});
    ASSERT_EQ(sim.path().rfind("/dev/pts/", 0), 0u) << sim.path();
    RecordingScreen screen;
    auto link = ConnectTo(sim.path(), screen);
    ASSERT_NE(link, nullptr);
    std::uint8_t ident[4] = {};
    ASSERT_TRUE(link->ReadIdent(ident));
    EXPECT_EQ(std::vector<int>(ident, ident + 4), (std::vector<int>{7, 2, 1, 40}));
    EXPECT_FALSE(link->WriteParam(56, 50));
    EXPECT_FALSE(link->WriteParam(62, 50));
    EXPECT_TRUE(link->WriteParam(58, 50));
}

TEST(EcuSimProgram, UnplugDuringReadAllEndsInALostConnection) {
    EcuSimProcess sim({"--unplug-after", "30"});
    RecordingScreen screen;
    auto link = ConnectTo(sim.path(), screen);
    ASSERT_NE(link, nullptr);
    ConfCar car;
    car.AttachLink(link.get());
    car.ReadAll();
    EXPECT_EQ(screen.StateChanges(), (std::vector<std::intptr_t>{1, 0}));
    EXPECT_EQ(link->IsConnected(), 0);
    std::int32_t word = 0;
    EXPECT_FALSE(link->ReadParam(56, &word));
}

TEST(EcuSimProgram, LateAnswersAreNeverTaken) {
    // Every answer arrives after the link gave up on its request.
    EcuSimProcess sim({"--delay", "400"});
    RecordingScreen screen;
    SerialLink link(SerialLink::Settings{sim.path(), 19200});
    link.SetScreen(&screen);
    ASSERT_TRUE(link.OpenPort());
    EXPECT_EQ(link.Connect(), 0);
    EXPECT_EQ(link.IsConnected(), 0);
    EXPECT_TRUE(screen.messages.empty());
}

// lumexctl reaches the simulator through the link module, with the port
// given either way.
TEST(EcuSimProgram, LumexctlReadsThroughTheModule) {
    EcuSimProcess sim({"--ident", "7,2,1,40"});
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString file = folder.filePath("car.mrb");
    for (bool byEnvironment : {false, true}) {
        QFile::remove(file);
        QProcess lumexctl;
        QStringList arguments{"read", "-o", file};
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (byEnvironment) environment.insert("LUMEX_PORT", QString::fromStdString(sim.path()));
        else arguments = QStringList{"--port", QString::fromStdString(sim.path())} + arguments;
        lumexctl.setProcessEnvironment(environment);
        lumexctl.start(LUMEXCTL, arguments);
        ASSERT_TRUE(lumexctl.waitForFinished(20000));
        EXPECT_EQ(lumexctl.exitCode(), 0) << lumexctl.readAllStandardError().toStdString();
        QFile saved(file);
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
        saved.readLine();
        EXPECT_EQ(saved.readLine().trimmed().toStdString(), "7 2 1 40") << "the identification line";
    }
}

// A read cut short must not leave a file that looks like the car's: the
// previous file stays and the command fails.
TEST(EcuSimProgram, LumexctlReadThatLosesTheEcuFailsAndKeepsTheOldFile) {
    EcuSimProcess sim({"--unplug-after", "30"});
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString file = folder.filePath("car.mrb");
    {
        QFile previous(file);
        ASSERT_TRUE(previous.open(QIODevice::WriteOnly));
        previous.write("previous contents");
    }
    QProcess lumexctl;
    lumexctl.start(LUMEXCTL, {"--port", QString::fromStdString(sim.path()), "read", "-o", file});
    ASSERT_TRUE(lumexctl.waitForFinished(20000));
    EXPECT_EQ(lumexctl.exitCode(), 1);
    EXPECT_TRUE(lumexctl.readAllStandardOutput().isEmpty());
    EXPECT_TRUE(lumexctl.readAllStandardError().contains("connection was lost"));
    QFile kept(file);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("previous contents"));
}

TEST(EcuSimProgram, LumexctlWriteThatLosesTheEcuFails) {
    EcuSimProcess sim({"--unplug-after", "10"});
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString file = folder.filePath("car.mrb");
    QProcess create;
    create.start(LUMEXCTL, {"new", file});
    ASSERT_TRUE(create.waitForFinished(20000));
    ASSERT_EQ(create.exitCode(), 0);

    QProcess lumexctl;
    lumexctl.start(LUMEXCTL, {"--port", QString::fromStdString(sim.path()), "write", file});
    ASSERT_TRUE(lumexctl.waitForFinished(20000));
    EXPECT_EQ(lumexctl.exitCode(), 1);
    EXPECT_TRUE(lumexctl.readAllStandardError().contains("connection was lost"));
}

TEST(EcuSimProgram, RejectsBadOptions) {
    for (const QStringList& arguments : {QStringList{"--drop", "2"}, QStringList{"--ident", "7,0,1"},
                                         QStringList{"--refuse", "NoSuchParam"}, QStringList{"--bogus", "1"},
                                         QStringList{"--baud"}}) {
        QProcess process;
        process.start(LUMEX_ECUSIM, arguments);
        ASSERT_TRUE(process.waitForFinished(5000)) << arguments.join(' ').toStdString();
        EXPECT_EQ(process.exitCode(), 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(process.readAllStandardOutput().isEmpty()) << "no device path on a refused start";
    }
}

}  // namespace
}  // namespace lumex::test
