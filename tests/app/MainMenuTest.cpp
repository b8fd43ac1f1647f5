// The main window's menu: layout figures, keyboard and mouse, language
// changes, tool windows, about box and customer code.

#include "AppTestSupport.h"
#include "CustomerCode.h"
#include "MenuLayout.h"
#include "RecordingLink.h"
#include "TAboutBox.h"
#include "TPasswordDlg.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

namespace lumex::app::test {
namespace {

TEST(MenuLayout, RowStepAndExitGapFollowClientHeightAndScreenWidth) {
    EXPECT_EQ(menu::RowStep(585), 58);
    EXPECT_EQ(menu::RowStep(9), 0);
    EXPECT_EQ(menu::RowStep(-20), 0);
    const std::pair<int, int> gaps[] = {{800, 87}, {640, 69}, {1024, 111}, {1280, 139}};
    for (const auto& [screenWidth, gap] : gaps)
        EXPECT_EQ(menu::ExitItemTop(400, 58, screenWidth) - 400, gap) << screenWidth;
}

TEST(MenuLayout, HiddenItemsTakeNoRowAndKeepTheirTop) {
    menu::Visibility visible{};
    visible.fill(true);
    visible[4] = visible[5] = false;
    menu::Tops previous{};
    previous.fill(-1);
    const auto layout = menu::LayOutRows(58, visible, previous, 800);
    EXPECT_EQ(layout.titleTop, 58);
    EXPECT_EQ(layout.tops[3], 116 + 3 * 58);
    EXPECT_EQ(layout.tops[4], -1);
    EXPECT_EQ(layout.tops[6], 116 + 4 * 58);   // moved up by two rows
    EXPECT_EQ(layout.tops[7], layout.tops[6] + 87);
}

TEST(MenuLayout, NavigationSkipsHiddenItemsAndWraps) {
    menu::Visibility visible{};
    visible.fill(true);
    visible[4] = visible[5] = false;
    EXPECT_EQ(menu::NextItem(3, visible), 6);
    EXPECT_EQ(menu::PreviousItem(6, visible), 3);
    EXPECT_EQ(menu::NextItem(7, visible), 0);
    EXPECT_EQ(menu::PreviousItem(0, visible), 7);
    visible[7] = false;
    EXPECT_EQ(menu::NextItem(6, visible), 0);
    EXPECT_EQ(menu::PreviousItem(0, visible), 6);
}

TEST(MenuLayout, ColumnsCentreOnTheWidestLabel) {
    const auto layout = menu::LayOutColumns(812, 301, 455);
    EXPECT_EQ(layout.titleLeft, 255);
    EXPECT_EQ(layout.itemsLeft, 178);
    EXPECT_EQ(layout.arrowLeft, 128);
}

using MainMenuTest = MainWindowTest;

TEST_F(MainMenuTest, DesignWindowHasRowStep58AndTheExitItem87BelowTheFileItem) {
    WriteMainDictionary();
    TFormMain& main = Start({"/demo"});
    EXPECT_EQ(main.ClientHeight(), 585);
    EXPECT_EQ(main.RowStep, 58);
    EXPECT_EQ(main.MenuLabel(0)->y(), 116);
    // Item 5 is hidden after start-up: the file item moves up a row.
    EXPECT_EQ(main.MenuLabel(6)->y(), 116 + 5 * 58);
    EXPECT_EQ(main.MenuLabel(7)->y() - main.MenuLabel(6)->y(), 87);
}

// After the content was rescaled to a wider screen and the window maximised,
// RowStep is in screen pixels: an item shown then (the connect command shows
// the fuel-gauge item) must not scale the exit gap a second time, which put
// the exit item below the bottom of the window.
TEST_F(MainMenuTest, ExitGapIsNotScaledTwiceAfterTheRescale) {
    WriteMainDictionary();
    TFormMain& main = Start({"/demo"});
    const int chrome = main.height() - main.ClientHeight();
    main.RescaleContent(1280);
    main.resize(1280, 990 + chrome);   // maximised on a 1280 x 1024 screen
    main.ShowMenuItem(5);

    EXPECT_EQ(main.RowStep, 99);
    EXPECT_EQ(main.MenuLabel(6)->y(), 8 * 99);
    EXPECT_EQ(main.MenuLabel(7)->y() - main.MenuLabel(6)->y(), 148);   // 1.5 rows
    EXPECT_LT(main.MenuLabel(7)->y(), main.ClientHeight());   // twice scaled: 1029
}

TEST_F(MainMenuTest, ArrowKeysSkipHiddenItemsWrapAndMoveTheArrow) {
    WriteMainDictionary();
    TFormMain& main = Start({"/demo", "/nocomm"});   // items 4 and 5 hidden
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    QLabel* arrow = main.findChild<QLabel*>("LabelFreccia");

    const std::pair<Qt::Key, int> steps[] = {
        {Qt::Key_Up, 7}, {Qt::Key_Down, 0}, {Qt::Key_Down, 1}, {Qt::Key_Down, 2},
        {Qt::Key_Down, 3}, {Qt::Key_Down, 6}, {Qt::Key_Up, 3}, {Qt::Key_Down, 6},
        {Qt::Key_Down, 7}, {Qt::Key_Down, 0}};
    for (const auto& [key, expected] : steps) {
        QTest::keyClick(&main, key);
        ASSERT_EQ(main.CurrentItem(), expected);
        EXPECT_EQ(arrow->y(), main.MenuLabel(expected)->y());
        EXPECT_EQ(TagOf(arrow), expected);
        // Exactly one item is highlighted.
        for (int item = 0; item < 8; ++item)
            EXPECT_EQ(main.MenuLabel(item)->font().underline(), item == expected);
    }
    EXPECT_EQ(main.MenuLabel(0)->palette().color(QPalette::WindowText), QColor(255, 255, 0));
}

TEST_F(MainMenuTest, HiddenItemAlsoLeavesTheToolsMenu) {
    WriteMainDictionary();
    TFormMain& main = Start({"/demo", "/nocomm"});
    EXPECT_FALSE(main.findChild<QAction*>("MenuDiagnosi")->isVisible());
    EXPECT_FALSE(main.findChild<QAction*>("MenuIndicatore")->isVisible());
    EXPECT_TRUE(main.findChild<QAction*>("MenuConfOpt")->isVisible());
    main.ShowMenuItem(4);
    EXPECT_TRUE(main.findChild<QAction*>("MenuDiagnosi")->isVisible());
    EXPECT_EQ(main.MenuLabel(4)->y(), 116 + 4 * 58);
}

TEST_F(MainMenuTest, EnterAndClickRunTheSameToolWithTheSameTag) {
    WriteMainDictionary();
    const ToolWindowFactory saved = ToolWindows();
    std::vector<int> tagsSeen;
    ToolWindows().confOpt = [](QWidget* owner) {
        auto window = std::make_unique<QDialog>(owner);
        window->setObjectName("FakeConfOpt");
        return window;
    };
    seams.onModal = [&tagsSeen](QDialog& dialog) {
        if (dialog.objectName() == "FakeConfOpt") {
            tagsSeen.push_back(TagOf(&dialog));
            SetTag(&dialog, 2);   // the page it was left on
        }
        return int(QDialog::Accepted);
    };
    TFormMain& main = Start({"/demo", "/nocomm"});   // OptionalPage 1
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));

    main.MoveTo(2);
    QTest::keyClick(&main, Qt::Key_Return);
    QTest::mouseClick(main.MenuLabel(2), Qt::LeftButton);
    ToolWindows() = saved;

    EXPECT_EQ(tagsSeen, (std::vector<int>{257, 258}));
    EXPECT_EQ(main.OptionalPage, 2);
}

TEST_F(MainMenuTest, MouseOverALabelMakesItCurrent) {
    WriteMainDictionary();
    TFormMain& main = Start({"/demo"});
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    QTest::mouseMove(main.MenuLabel(3));
    EXPECT_EQ(main.CurrentItem(), 3);
    EXPECT_TRUE(main.MenuLabel(3)->font().underline());
    EXPECT_FALSE(main.MenuLabel(0)->font().underline());
}

TEST_F(MainMenuTest, WidestLabelDecidesTheColumnAfterALanguageChange) {
    auto rows = MainWindowRows({"ITALIANO", "ENGLISH"});
    for (auto& row : rows)
        if (row.key == "LabelConfSw")
            row.values[1] = "Software and engine management setup";   // cut to 35
    ASSERT_TRUE(WriteDictionary(folder.filePath("DizionarioMrb.dbf"), {"ITALIANO", "ENGLISH"}, rows));
    TFormMain& main = Start({"/demo"});
    main.SelectLanguage(1);

    EXPECT_EQ(main.MenuLabel(3)->text(), QString("Software and engine management setup").left(35));
    int widest = 0;
    for (int item = 0; item < 8; ++item)
        widest = std::max(widest, main.MenuLabel(item)->width());
    EXPECT_EQ(widest, main.MenuLabel(3)->width());
    const int left = (main.frameGeometry().width() - widest) / 2;
    for (int item = 0; item < 8; ++item)
        EXPECT_EQ(main.MenuLabel(item)->x(), left) << item;
    EXPECT_EQ(main.findChild<QLabel*>("LabelFreccia")->x(), left - 50);
    EXPECT_EQ(settings->GetLanguage(), 1);
    EXPECT_EQ(main.StatusPanel(2), "ENGLISH");
}

TEST_F(MainMenuTest, ApplyLanguageFillsEveryTextAndCopiesTheHints) {
    WriteMainDictionary();
    TFormMain& main = Start({"/demo"});
    for (const TextKey& key : TFormMain::DictionaryKeys()) {
        const QString name = QLatin1String(key.key);
        const QString expected = TextOf("ITALIANO", name);
        if (auto* label = main.findChild<QLabel*>(name)) {
            EXPECT_EQ(label->text(), expected) << key.key;
        } else if (auto* action = main.findChild<QAction*>(name)) {
            EXPECT_EQ(action->text(), expected) << key.key;
        } else if (auto* menu = main.findChild<QMenu*>(name)) {
            EXPECT_EQ(menu->title(), expected) << key.key;
        }
    }
    EXPECT_EQ(main.windowTitle(), TextOf("ITALIANO", "FinestraPrincipale"));
    EXPECT_EQ(main.findChild<QAction*>("ActionConfSoftware")->statusTip(),
              TextOf("ITALIANO", "LabelConfSw"));
    EXPECT_EQ(main.findChild<QAction*>("ActionConnetti")->statusTip(),
              TextOf("ITALIANO", "LabelConnetti"));
    // The file-management entry keeps its own text, not its action's.
    EXPECT_EQ(main.findChild<QAction*>("MenuDati")->text(), TextOf("ITALIANO", "MenuDati"));
    EXPECT_EQ(main.findChild<QAction*>("MenuParametri")->text(),
              TextOf("ITALIANO", "ActionVisualizza"));
    EXPECT_EQ(main.HeldText("MessUscita"), TextOf("ITALIANO", "MessUscita"));
    EXPECT_EQ(main.StatusPanel(0), TextOf("ITALIANO", "MessNoConn"));
}

TEST_F(MainMenuTest, FailedLookupStopsTheFillAndEndsTheProgram) {
    auto rows = MainWindowRows({"ITALIANO", "ENGLISH"});
    for (auto& row : rows)
        if (row.key == "MenuRileggi")
            row.values[1].clear();
    ASSERT_TRUE(WriteDictionary(folder.filePath("DizionarioMrb.dbf"), {"ITALIANO", "ENGLISH"}, rows));
    TFormMain& main = Start({"/demo"});
    ASSERT_TRUE(seams.Messages().empty());

    main.SelectLanguage(1);
    ASSERT_EQ(seams.Messages().size(), 1u);
    EXPECT_EQ(seams.Messages()[0].text,
              "Problemi col database multilingua.\nIl programma verrà chiuso.");
    EXPECT_EQ(seams.Messages()[0].caption, kApplicationTitle);
    EXPECT_EQ(seams.Messages()[0].icon, QMessageBox::Critical);
    EXPECT_EQ(seams.TerminationRequests(), 1);
    // Filled before the failure: new; after it: as before.
    EXPECT_EQ(main.findChild<QMenu*>("MenuCpu")->title(), TextOf("ENGLISH", "MenuCpu"));
    EXPECT_EQ(main.findChild<QMenu*>("MenuAiuto")->title(), TextOf("ITALIANO", "MenuAiuto"));
    EXPECT_EQ(main.windowTitle(), TextOf("ITALIANO", "FinestraPrincipale"));
    EXPECT_EQ(main.StatusPanel(2), "ITALIANO");
    EXPECT_FALSE(main.Dictionary()->TableOpen());
}

TEST_F(MainMenuTest, ToolWindowsGetTheirTagsAndHandBackWhatTheyLeave) {
    WriteMainDictionary();
    const ToolWindowFactory saved = ToolWindows();
    const auto named = [](const char* name) {
        return [name](QWidget* owner) {
            auto window = std::make_unique<QDialog>(owner);
            window->setObjectName(name);
            return window;
        };
    };
    ToolWindows().visualizza = named("V");
    ToolWindows().confVettura = named("CV");
    ToolWindows().confSoftware = named("SW");
    ToolWindows().gestioneFile = named("GF");
    std::map<QString, int> tags;
    std::map<QString, QPoint> positions;
    std::map<QString, bool> owned;
    seams.onModal = [&](QDialog& dialog) {
        tags[dialog.objectName()] = TagOf(&dialog);
        positions[dialog.objectName()] = dialog.pos();
        owned[dialog.objectName()] = dialog.parentWidget() != nullptr;
        if (dialog.objectName() == "CV")
            dialog.setProperty("MemoryErased", true);
        if (dialog.objectName() == "SW")
            SetTag(&dialog, 3);
        return int(QDialog::Accepted);
    };
    TFormMain& main = Start({"/demo"});
    record.SetFileName("/somewhere/auto.mrb");
    main.ActionGestioneFileExecute();
    EXPECT_EQ(main.StatusPanel(3), "auto.mrb");
    EXPECT_FALSE(owned["GF"]);
    main.ActionVisualizzaExecute();
    main.ActionConfVettExecute();
    EXPECT_EQ(main.StatusPanel(3), "");
    main.ActionConfSoftwareExecute();
    main.ActionConfSoftwareExecute();
    ToolWindows() = saved;

    EXPECT_EQ(positions["V"], QPoint(0, 0));
    EXPECT_EQ(tags["CV"], 1);
    EXPECT_EQ(tags["SW"], 256 + 3);   // the second run starts on the page left
    EXPECT_EQ(main.SoftwarePage, 3);
}

TEST_F(MainMenuTest, AboutBoxShowsDemoOrTheEcuFirmware) {
    WriteMainDictionary();
    QString ecuLine, versionLine, product;
    seams.onModal = [&](QDialog& dialog) {
        if (auto* box = qobject_cast<TAboutBox*>(&dialog)) {
            ecuLine = box->EcuVersionText();
            versionLine = box->VersionText();
            product = box->ProductNameText();
        }
        return int(QDialog::Accepted);
    };
    TFormMain& main = Start();
    main.MenuAboutClick();
    EXPECT_EQ(ecuLine, TextOf("ITALIANO", "LabelVersioneCpu") + " " +
                           QString::number(ecu.Ident().firmware));
    EXPECT_EQ(versionLine, TextOf("ITALIANO", "LabelVersione") + " 3.0");
    EXPECT_EQ(product, main.windowTitle());

    App().demoMode = true;
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    QTest::keyClick(&main, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(ecuLine, "DEMO");
}

TEST(CustomerCode, PrefixAndExactlyThreeDigitCharactersFormTheCode) {
    const QString prefix = AccessPrefix();
    ASSERT_FALSE(prefix.isEmpty());
    struct Case {
        QString entry;
        std::optional<int> code;
    };
    const Case cases[] = {
        {prefix + "042", 42},
        {prefix + "999", 999},
        {prefix + "42", std::nullopt},
        {prefix + "0042", std::nullopt},
        {prefix + "4x2", std::nullopt},
        {QString(prefix.size(), 'Z') + "042", std::nullopt},
        {prefix.toLower() + "042", prefix.toLower() == prefix ? std::optional<int>(42) : std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CustomerCodeFromEntry(c.entry), c.code) << c.entry.toStdString();
}

TEST_F(MainMenuTest, CustomerCodeEntryWritesThroughTheRecordOnlyWhenValid) {
    WriteMainDictionary();
    lumex::test::RecordingLink link;
    link.SetIdent({7, 0, 0, 1});
    TFormMain& main = Start({"/demo"});
    App().link = &link;
    record.AttachLink(&link);
    for (const QString& entry : {AccessPrefix() + "042", AccessPrefix() + "42", QString("xx")}) {
        seams.onModal = [entry](QDialog& dialog) {
            if (auto* password = qobject_cast<TPasswordDlg*>(&dialog))
                password->SetText(entry);
            return int(QDialog::Rejected);   // however it closes, the text counts
        };
        main.ActionCliExecute();
    }
    ASSERT_EQ(link.Writes().size(), 1u);
    EXPECT_EQ(lumex::CodeEcuNumber(link.Writes()[0].code), 64u);
    EXPECT_EQ(link.Writes()[0].value, 42);
}

TEST_F(MainMenuTest, MenuBarHoldsEveryEntryIncludingTheHiddenOnes) {
    WriteMainDictionary();
    TFormMain& main = Start({"/demo"});
    for (const char* name :
         {"MenuApri", "MenuSalva", "MenuStampa", "MenuEsci", "MenuConnetti", "MenuDisconnetti",
          "MenuRileggi", "Cliente1", "MenuParametri", "MenuVettura", "MenuConfOpt",
          "MenuSoftware", "MenuDiagnosi", "MenuIndicatore", "MenuDati", "MenuComPort",
          "MenuMostraTutte", "MenuNascondiTutte", "MenuLingue", "MenuConnessione",
          "MenuPulsanti", "MenuAbout"})
        EXPECT_NE(main.findChild<QAction*>(name), nullptr) << name;
    EXPECT_FALSE(main.findChild<QAction*>("MenuStampa")->isVisible());
    EXPECT_FALSE(main.findChild<QMenu*>("MenuConfig")->menuAction()->isVisible());
    EXPECT_FALSE(main.findChild<QMenu*>("MenuConfig")->menuAction()->isEnabled());
    EXPECT_TRUE(main.findChild<QAction*>("MenuLingue")->isChecked());
    EXPECT_FALSE(main.findChild<QAction*>("MenuDisconnetti")->isEnabled());
    EXPECT_EQ(main.findChild<QAction*>("MenuEsci")->shortcut(), QKeySequence("Ctrl+Q"));
}

TEST_F(MainMenuTest, ExitKeysCloseTheWindow) {
    WriteMainDictionary();
    const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
        {Qt::Key_Q, Qt::AltModifier}, {Qt::Key_F2, Qt::AltModifier}, {Qt::Key_Q, Qt::ControlModifier}};
    for (const auto& [key, modifiers] : keys) {
        form.reset();
        TFormMain& main = Start({"/demo"});
        main.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
        QTest::keyClick(&main, key, modifiers);
        EXPECT_FALSE(main.isVisible()) << key;
        EXPECT_EQ(main.Dictionary(), nullptr);   // destroyed by the close handler
    }
}

}  // namespace
}  // namespace lumex::app::test
