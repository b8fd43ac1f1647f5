// Opening and saving configuration files from the main window's menu.

#include "AppTestSupport.h"

#include <QAction>
#include <QFile>

namespace lumex::app::test {
namespace {

class FilesTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        WriteMainDictionary();
        Start({"/demo"});
    }
    void Answer(const QString& path) {
        seams.onFileDialog = [path](const FileDialogRequest&) { return path; };
    }
};

TEST_F(FilesTest, SaveThenOpenRoundTripsAndNamesTheFile) {
    const QString path = folder.filePath("Configurazioni/golf.cas");
    Answer(path);
    form->ActionSalvaExecute();
    ASSERT_TRUE(QFile::exists(path));
    EXPECT_EQ(form->StatusPanel(3), "golf.cas");
    ASSERT_EQ(seams.FileDialogs().size(), 1u);
    const FileDialogRequest& save = seams.FileDialogs()[0];
    EXPECT_EQ(save.kind, FileDialogKind::Save);
    EXPECT_EQ(save.filter, "KTV Cassiope (*.cas)");
    EXPECT_EQ(save.defaultSuffix, "cas");
    EXPECT_EQ(save.folder, folder.filePath("Configurazioni"));

    ecu.SetConnectedWithoutNotice(true);
    const auto saved = record.RawWords();
    record.RawWords()[size_t(StorageOf(ChangeoverRpm))] += 1;
    form->ActionApriExecute();
    EXPECT_TRUE(seams.Messages().empty());
    EXPECT_EQ(record.RawWords(), saved);
    EXPECT_EQ(form->StatusPanel(3), "golf.cas");
    EXPECT_EQ(seams.FileDialogs()[1].kind, FileDialogKind::Open);
}

TEST_F(FilesTest, CancelledDialogChangesNothing) {
    Answer(QString());
    form->ActionApriExecute();
    form->ActionSalvaExecute();
    EXPECT_TRUE(seams.Messages().empty());
    EXPECT_EQ(form->StatusPanel(3), "");
    EXPECT_EQ(record.FileName(), "default.mrb");
}

TEST_F(FilesTest, RefusedFileNamesFileAndLineAndLeavesEverythingAsItWas) {
    const QString good = folder.filePath("good.cas");
    Answer(good);
    form->ActionSalvaExecute();
    ASSERT_EQ(form->StatusPanel(3), "good.cas");

    const QString bad = folder.filePath("bad.cas");
    {
        QFile file(bad);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("this is not a configuration file\n");
    }
    const auto before = record.RawWords();
    Answer(bad);
    form->ActionApriExecute();
    ASSERT_EQ(seams.Messages().size(), 1u);
    const MessageRecord& message = seams.Messages()[0];
    EXPECT_TRUE(message.text.contains("bad.cas")) << message.text.toStdString();
    EXPECT_TRUE(message.text.contains(":1")) << message.text.toStdString();
    EXPECT_EQ(message.icon, QMessageBox::Critical);
    EXPECT_EQ(record.RawWords(), before);
    EXPECT_EQ(form->StatusPanel(3), "good.cas");
    EXPECT_EQ(QString::fromStdString(record.FileName()), good);
}

TEST_F(FilesTest, FailedSaveIsReportedAndNotShownAsSaved) {
    Answer(folder.filePath("no/such/folder/x.cas"));
    form->ActionSalvaExecute();
    ASSERT_EQ(seams.Messages().size(), 1u);
    EXPECT_TRUE(seams.Messages()[0].text.contains("x.cas"));
    EXPECT_EQ(form->StatusPanel(3), "");
    EXPECT_EQ(record.FileName(), "default.mrb");
}

TEST_F(FilesTest, DialogsRememberTheLastFolder) {
    QDir(folder.path()).mkpath("elsewhere");
    Answer(folder.filePath("elsewhere/a.cas"));
    form->ActionSalvaExecute();
    form->ActionSalvaExecute();
    ASSERT_EQ(seams.FileDialogs().size(), 2u);
    EXPECT_EQ(seams.FileDialogs()[1].folder, folder.filePath("elsewhere"));
}

}  // namespace
}  // namespace lumex::app::test
