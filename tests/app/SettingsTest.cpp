// Settings kept between runs, the configurations folder, and the single
// running copy.

#include "AppTestSupport.h"
#include "SingleInstance.h"

#include <QFile>
#include <QMainWindow>
#include <QStandardPaths>
#include <QTest>
#include <QUuid>

namespace lumex::app::test {
namespace {

class SettingsTest : public ::testing::Test {
protected:
    std::unique_ptr<GlobalData> Run(bool& proceed, const QString& programFolder = "/opt/lumex") {
        return std::make_unique<GlobalData>(
            std::make_unique<QSettings>(folder.filePath("settings.ini"), QSettings::IniFormat),
            "/current", programFolder, proceed);
    }
    QSettings Stored() { return QSettings(folder.filePath("settings.ini"), QSettings::IniFormat); }

    QTemporaryDir folder;
    ScopedAppContext context;
    ScopedSeams seams;
};

TEST_F(SettingsTest, FirstRunAsksOnceAndYesWritesAllThreeValues) {
    bool proceed = false;
    seams.QueueAnswer(QMessageBox::Yes);
    {
        auto settings = Run(proceed);
        EXPECT_TRUE(proceed);
        ASSERT_EQ(seams.Messages().size(), 1u);
        const MessageRecord& question = seams.Messages()[0];
        EXPECT_EQ(question.text, "Non è possibile eseguire correttamente il programma. \n"
                                 "Continuare in ogni caso?");
        EXPECT_EQ(question.buttons, QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(question.icon, QMessageBox::Critical);
        EXPECT_EQ(question.defaultButton, QMessageBox::No);   // questions default to No
        EXPECT_EQ(settings->MainFolder(), "/opt/lumex");   // the program's folder
        EXPECT_EQ(settings->ConfigFolder(), "/opt/lumex/Configurazioni");
        settings->SetLanguage(2);
    }
    EXPECT_EQ(Stored().value("MainPath").toString(), "/opt/lumex");
    EXPECT_EQ(Stored().value("Language").toInt(), 2);
    EXPECT_EQ(Stored().value("Stat1").toInt(), 0);

    auto again = Run(proceed);
    EXPECT_TRUE(proceed);
    EXPECT_EQ(seams.Messages().size(), 1u);   // no second question
    EXPECT_EQ(again->GetLanguage(), 2);
}

TEST_F(SettingsTest, AnsweringNoWritesNothingSoTheNextRunAsksAgain) {
    bool proceed = true;
    seams.QueueAnswer(QMessageBox::No);
    Run(proceed).reset();
    EXPECT_FALSE(proceed);
    EXPECT_FALSE(QFile::exists(folder.filePath("settings.ini")));

    Run(proceed).reset();
    EXPECT_EQ(seams.Messages().size(), 2u);
}

TEST_F(SettingsTest, AValueOfTheWrongKindCountsAsMissingAndStat1SurvivesUnchanged) {
    {
        QSettings store = Stored();
        store.setValue("MainPath", "/opt/lumex");
        store.setValue("Language", "not a number");
        store.setValue("Stat1", 17);
    }
    bool proceed = false;
    Run(proceed).reset();
    EXPECT_EQ(seams.Messages().size(), 1u);
    EXPECT_EQ(Stored().value("Stat1").toInt(), 17);
    EXPECT_EQ(Stored().value("Language").toInt(), 0);
}

TEST_F(SettingsTest, FoldersByKind) {
    bool proceed = false;
    auto settings = Run(proceed);
    settings->SetMainFolder(folder.path() + "/");
    QString out = "untouched";
    EXPECT_TRUE(settings->GetFolder(1, out));
    EXPECT_EQ(out, folder.path());
    EXPECT_TRUE(settings->GetFolder(3, out));
    EXPECT_EQ(out, folder.path() + "/Configurazioni");
    EXPECT_TRUE(QDir(out).exists());   // created when asked for
    out = "untouched";
    EXPECT_FALSE(settings->GetFolder(2, out));
    EXPECT_EQ(out, "untouched");
}

TEST_F(SettingsTest, UnusableConfigurationsFolderFallsBackToTheUserDataFolder) {
    bool proceed = false;
    auto settings = Run(proceed);
    // A main "folder" that is a file: nothing can be created below it.
    QFile blocker(folder.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    settings->SetMainFolder(blocker.fileName());
    QString out;
    ASSERT_TRUE(settings->GetFolder(3, out));
    EXPECT_EQ(out, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                       "/Configurazioni");
    EXPECT_TRUE(QFileInfo(out).isDir());
    EXPECT_TRUE(QFileInfo(out).isWritable());
}

TEST(SingleInstance, SecondCopyRaisesTheFirstWindow) {
    const QString name = "lumex-test-" + QUuid::createUuid().toString(QUuid::Id128);
    SingleInstance first(name);
    ASSERT_TRUE(first.TryBecomePrimary());
    QMainWindow window;
    window.showMinimized();
    first.onRaise = [&window] { RaiseProgramWindow(&window); };

    SingleInstance second(name);
    EXPECT_FALSE(second.TryBecomePrimary());
    EXPECT_TRUE(second.NotifyPrimary());
    EXPECT_TRUE(QTest::qWaitFor([&window] { return !window.isMinimized(); }, 3000));
    EXPECT_TRUE(window.isVisible());
}

TEST(SingleInstance, NoFirstCopyMeansNobodyToNotify) {
    SingleInstance lone("lumex-test-" + QUuid::createUuid().toString(QUuid::Id128));
    EXPECT_FALSE(lone.NotifyPrimary(200));
}

}  // namespace
}  // namespace lumex::app::test
