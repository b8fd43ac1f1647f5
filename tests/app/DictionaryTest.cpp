// The dictionary module: reading the dBase table and its code page, the
// lookup rules, the window convention, and the shipped dictionary itself.

#include "AppTestSupport.h"
#include "TFormSplash.h"
#include "TModuloLingua.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QFile>
#include <QMenu>
#include <QRegularExpression>
#include <QTextStream>
#include <QToolButton>

#include <map>

namespace lumex::app::test {
namespace {

class DictionaryTest : public ::testing::Test {
protected:
    QString Write(const QStringList& languages, const std::vector<DictRow>& rows,
                  const char* codePage = "LDID/87", const char* encoding = "windows-1252") {
        const QString path = folder.filePath("dict.dbf");
        EXPECT_TRUE(WriteDictionary(path, languages, rows, codePage, encoding));
        return path;
    }
    bool Open() { return dictionary.OpenDictionary(folder.path(), "dict.dbf"); }

    QTemporaryDir folder;
    ScopedAppContext context;
    ScopedSeams seams;
    TModuloLingua dictionary;
};

TEST_F(DictionaryTest, OnlyTheKeyColumnGivesAnEmptyMenuAndEveryLookupFails) {
    Write({}, {{"LabelMenu", {}}});
    ASSERT_TRUE(Open());
    EXPECT_TRUE(dictionary.PopupMenuLingue->actions().isEmpty());
    QString text;
    EXPECT_FALSE(dictionary.LookupText("LabelMenu", 30, text));
    QString filled = "layout";
    EXPECT_FALSE(dictionary.FillTexts(3, {{"LabelMenu", 30, [&](const QString& t) { filled = t; }}}));
    EXPECT_EQ(filled, "layout");
    ASSERT_EQ(seams.Messages().size(), 1u);
    EXPECT_EQ(seams.Messages()[0].text, "Problemi col database multilingua (Codice 3).");
    EXPECT_EQ(seams.Messages()[0].icon, QMessageBox::Critical);
}

TEST_F(DictionaryTest, MenuHasOneRadioItemPerColumnCutToTwelveCharacters) {
    Write({"ITALIANO", "ENGLISH"},
          {{"MenuLingua", {"Italiano", "English (United Kingdom)"}}});
    ASSERT_TRUE(Open());
    const auto items = dictionary.PopupMenuLingue->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->objectName(), "ITALIANO");
    EXPECT_EQ(items[1]->objectName(), "ENGLISH");
    EXPECT_EQ(items[1]->text(), "English (Uni");
    EXPECT_TRUE(items[0]->isCheckable());
    EXPECT_TRUE(items[0]->actionGroup()->isExclusive());
    EXPECT_FALSE(items[0]->isChecked());   // nothing applied yet
}

TEST_F(DictionaryTest, OpeningFailsWithoutFileOrWithoutALanguageName) {
    EXPECT_FALSE(Open());   // no file
    Write({"ITALIANO", "ENGLISH"}, {{"MenuLingua", {"Italiano", ""}}});
    EXPECT_FALSE(Open());
    Write({"ITALIANO"}, {{"LabelMenu", {"Menu"}}});
    EXPECT_FALSE(Open());
}

TEST_F(DictionaryTest, LookupRules) {
    Write({"ITALIANO", "ENGLISH"},
          {{"MenuLingua", {"Italiano", "English"}},
           {"LabelMenu", {"MENU' PRINCIPALE", "MAIN MENU"}},
           {"labelmenu", {"minuscolo", "lower case"}},
           {"LabelLunga", {QString(40, 'a') + "b", "x"}},
           {"SoloItaliano", {"presente", ""}},
           {"Doppia", {"prima", "first"}},
           {"Doppia", {"seconda", "second"}}});
    ASSERT_TRUE(Open());
    QString text;
    EXPECT_FALSE(dictionary.LookupText("LabelMenu", 30, text)) << "no language in use";

    dictionary.CurrentLanguage = "ITALIANO";
    struct Case {
        const char* key;
        int max;
        bool found;
        QString text;
    };
    const Case italian[] = {
        {"LabelMenu", 30, true, "MENU' PRINCIPALE"},
        {"labelmenu", 30, true, "minuscolo"},        // case matters
        {"LABELMENU", 30, false, ""},
        {"LabelLunga", 35, true, QString(35, 'a')},  // cut to its maximum
        {"LabelMenu", 4, true, "MENU"},
        {"SoloItaliano", 30, true, "presente"},
        {"Doppia", 30, true, "prima"},               // the first row wins
        {"Manca", 30, false, ""},
    };
    for (const Case& c : italian) {
        text = "unchanged";
        EXPECT_EQ(dictionary.LookupText(c.key, c.max, text), c.found) << c.key;
        if (c.found) {
            EXPECT_EQ(text, c.text) << c.key;
        }
    }
    dictionary.CurrentLanguage = "ENGLISH";
    EXPECT_FALSE(dictionary.LookupText("SoloItaliano", 30, text));
    EXPECT_TRUE(dictionary.LookupText("LabelMenu", 30, text));
    EXPECT_EQ(text, "MAIN MENU");
    EXPECT_TRUE(dictionary.LookupTextIn("ITALIANO", "LabelMenu", 30, text));
    EXPECT_EQ(text, "MENU' PRINCIPALE");
}

TEST_F(DictionaryTest, WindowConventionStopsAtTheFirstFailureAndTheNextWindowStartsAfresh) {
    Write({"ITALIANO"}, {{"MenuLingua", {"Italiano"}}, {"A", {"a"}}, {"C", {"c"}}});
    ASSERT_TRUE(Open());
    dictionary.CurrentLanguage = "ITALIANO";
    QStringList got;
    const auto into = [&got](const QString& text) { got.push_back(text); };
    EXPECT_FALSE(dictionary.FillTexts(7, {{"A", 5, into}, {"B", 5, into}, {"C", 5, into}}));
    EXPECT_EQ(got, QStringList{"a"});
    EXPECT_EQ(seams.Messages().back().text, "Problemi col database multilingua (Codice 7).");
    EXPECT_EQ(seams.Messages().back().caption, kApplicationTitle);
    EXPECT_FALSE(dictionary.TableOpen());

    got.clear();
    EXPECT_TRUE(dictionary.FillTexts(2, {{"A", 5, into}, {"C", 5, into}}));
    EXPECT_EQ(got, (QStringList{"a", "c"}));
    EXPECT_EQ(seams.Messages().size(), 1u);
}

TEST_F(DictionaryTest, TextsAreDecodedByTheFilesCodePage) {
    const std::vector<DictRow> rows{{"MenuLingua", {"Italiano"}},
                                    {"MessUscita", {"Il programma verrà chiuso"}}};
    struct Case {
        const char* codePage;
        const char* encoding;
    };
    for (const Case c : {Case{"LDID/87", "windows-1252"}, Case{"1252", "windows-1252"},
                         Case{"UTF-8", "UTF-8"}, Case{"LDID/0", "windows-1252"},
                         Case{"LDID/2", "IBM850"}}) {
        QFile::remove(folder.filePath("dict.cpg"));
        Write({"ITALIANO"}, rows, c.codePage, c.encoding);
        ASSERT_TRUE(Open()) << c.codePage;
        dictionary.CurrentLanguage = "ITALIANO";
        QString text;
        ASSERT_TRUE(dictionary.LookupText("MessUscita", 70, text));
        EXPECT_EQ(text, "Il programma verrà chiuso") << c.codePage;
    }
}

TEST(CodePage, MarksMapToCodecs) {
    EXPECT_EQ(CodecForDbfCodePage("LDID/87"), "windows-1252");
    EXPECT_EQ(CodecForDbfCodePage(""), "windows-1252");
    EXPECT_EQ(CodecForDbfCodePage("LDID/201"), "windows-1251");
    EXPECT_EQ(CodecForDbfCodePage("CP1250"), "windows-1250");
    EXPECT_EQ(CodecForDbfCodePage("no such thing"), "windows-1252");
}

TEST(Ampersand, OnlyTheFirstOneGoes) {
    EXPECT_EQ(WithoutFirstAmpersand("&Italiano"), "Italiano");
    EXPECT_EQ(WithoutFirstAmpersand("Engl&ish"), "English");
    EXPECT_EQ(WithoutFirstAmpersand("A&&B&C"), "A&B&C");
    EXPECT_EQ(WithoutFirstAmpersand("Deutsch"), "Deutsch");
}

TEST_F(DictionaryTest, SplashButtonsCountPicturesThatLoadedAndHintsLoseTheFirstAmpersand) {
    Write({"ITALIANO", "ENGLISH", "DEUTSCH"},
          {{"MenuLingua", {"&Italiano", "Eng&&lish", "Deutsch"}}});
    ASSERT_TRUE(Open());
    QDir(folder.path()).mkdir("immagini");
    QImage flag(36, 36, QImage::Format_RGB32);
    flag.fill(Qt::red);
    ASSERT_TRUE(flag.save(folder.filePath("immagini/ITALIANO.bmp")));
    ASSERT_TRUE(flag.save(folder.filePath("immagini/DEUTSCH.bmp")));

    TFormSplash splash(nullptr, ":/no/such/picture.bmp");
    const auto items = dictionary.PopupMenuLingue->actions();
    for (int i = 0; i < items.size(); ++i)
        splash.AddLanguageButton(items[i], i, folder.path());
    const auto buttons = splash.LanguageButtons();
    ASSERT_EQ(buttons.size(), 3);
    EXPECT_EQ(TFormSplash::ImageIndexOf(buttons[0]), 0);
    EXPECT_EQ(TFormSplash::ImageIndexOf(buttons[1]), -2);
    EXPECT_EQ(TFormSplash::ImageIndexOf(buttons[2]), 1);
    EXPECT_EQ(buttons[0]->objectName(), "ITALIANO0");
    EXPECT_EQ(buttons[2]->objectName(), "DEUTSCH2");
    EXPECT_EQ(buttons[0]->toolTip(), "Italiano");
    EXPECT_EQ(buttons[1]->toolTip(), "Eng&lish");
    EXPECT_EQ(buttons[1]->size(), QSize(50, 50));

    buttons[2]->click();
    EXPECT_EQ(splash.Tag(), 2);
}

TEST(Splash, EnterReturnsMinusOneOtherClosingLeavesZero) {
    TFormSplash splash;
    EXPECT_EQ(splash.Tag(), 0);
    splash.close();
    EXPECT_EQ(splash.Tag(), 0);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(&splash, &enter);
    EXPECT_EQ(splash.Tag(), -1);
}

TEST(Splash, WindowTakesThePicturesWidthAndTheBarSitsUnderIt) {
    TFormSplash splash;
    const auto* picture = splash.findChild<QLabel*>("ImageSplash");
    if (picture->pixmap().isNull())
        GTEST_SKIP() << "built without the pictures";
    EXPECT_EQ(splash.width(), picture->pixmap().width());
    const auto* bar = splash.findChild<QWidget*>("ToolBarLingue");
    EXPECT_EQ(bar->y(), picture->pixmap().height());
    EXPECT_EQ(bar->width(), splash.width());
}

// --- The shipped dictionary ---

// Keys per window as data/keys-by-window.txt lists them.
std::map<QString, std::vector<std::pair<QString, int>>> KeysByWindow() {
    std::map<QString, std::vector<std::pair<QString, int>>> windows;
    QFile file(QStringLiteral(LUMEX_SOURCE_DIR "/data/keys-by-window.txt"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return windows;
    QString window;
    const QRegularExpression header(QStringLiteral("^\\[(\\w+)\\]"));
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (const auto match = header.match(line); match.hasMatch()) {
            window = match.captured(1);
            continue;
        }
        const QStringList parts = line.split(QRegularExpression("\\s+"));
        if (parts.size() >= 2)
            windows[window].push_back({parts[0], parts[1].toInt()});
    }
    return windows;
}

TEST(ShippedDictionary, HoldsEveryKeyTheProgramLooksUpInEveryLanguage) {
    TModuloLingua dictionary;
    ASSERT_TRUE(dictionary.OpenDictionary(QStringLiteral(LUMEX_BIN_DIR), "DizionarioMrb.dbf"));
    const QStringList languages = dictionary.Languages();
    ASSERT_GE(languages.size(), 2);
    EXPECT_TRUE(languages.contains("ITALIANO"));
    EXPECT_TRUE(languages.contains("ENGLISH"));

    std::vector<std::pair<QString, int>> keys;
    for (const auto& [window, list] : KeysByWindow())
        keys.insert(keys.end(), list.begin(), list.end());
    ASSERT_FALSE(keys.empty());
    for (const TextKey& key : TFormMain::DictionaryKeys())
        keys.push_back({QLatin1String(key.key), key.max});
    keys.push_back({"LabelAvvio", 70});
    keys.push_back({"MenuLingua", 12});

    for (const QString& language : languages) {
        for (const auto& [key, max] : keys) {
            QString text;
            EXPECT_TRUE(dictionary.LookupTextIn(language, key, max, text))
                << key.toStdString() << " in " << language.toStdString();
        }
    }
}

TEST(ShippedDictionary, MainWindowKeysMatchTheListedKeysAndLengths) {
    const auto windows = KeysByWindow();
    const auto found = windows.find("TFormMain");
    ASSERT_NE(found, windows.end());
    std::vector<std::pair<QString, int>> ours;
    for (const TextKey& key : TFormMain::DictionaryKeys())
        ours.push_back({QLatin1String(key.key), key.max});
    EXPECT_EQ(ours, found->second);
}

}  // namespace
}  // namespace lumex::app::test
