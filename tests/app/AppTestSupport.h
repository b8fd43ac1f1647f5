#pragma once
// Helpers of the window tests: scratch dictionaries written as real dBase
// files, a scratch settings store, and a fixture that wires a record, a link
// and the Qt screen into a fresh app context with scripted seams.

#include "AppGlobals.h"
#include "ConfCar.h"
#include "GlobalData.h"
#include "QtLinkScreen.h"
#include "Seams.h"
#include "TFormMain.h"
#include "VirtualEcu.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace lumex::app::test {

struct DictRow {
    QString key;
    QStringList values;   // one per language column
};

// Writes a dBase table: "IDENTIF" then the language columns. codePage is
// what the file declares ("LDID/87" in the header, or e.g. "1252" as a .cpg
// file); texts are stored in encoding.
bool WriteDictionary(const QString& path, const QStringList& languages,
                     const std::vector<DictRow>& rows,
                     const char* codePage = "LDID/87", const char* encoding = "windows-1252");

// A dictionary with every key the main window and the splash look up, the
// text of key K in language L being "<L>:K" (L the first two letters), and
// "MenuLingua" the language name itself.
std::vector<DictRow> MainWindowRows(const QStringList& languages);
QString TextOf(const QString& language, const QString& key);

// Settings in a scratch file, already holding all three values.
std::unique_ptr<QSettings> ScratchSettings(const QString& folder, bool filled = true,
                                           int language = 0);

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the dictionary (MainWindowRows for ITALIANO, ENGLISH unless
    // rows are given) into the program folder.
    void WriteMainDictionary(const QStringList& languages = {"ITALIANO", "ENGLISH"});
    // Runs the whole start-up; the window is kept in `form`.
    TFormMain& Start(const QStringList& arguments = {});
    // Lets the event loop run its pending work (the start-up wait closes).
    static void Idle();

    QTemporaryDir folder;
    ScopedAppContext context;
    ScopedSeams seams;
    VirtualEcu ecu;
    ConfCar record{"default.mrb"};
    QtLinkScreen screen;
    std::unique_ptr<GlobalData> settings;
    std::unique_ptr<TFormMain> form;
};

}  // namespace lumex::app::test
