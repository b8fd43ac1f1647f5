#pragma once
// TFormMain: the program's one non-modal window. Its creation is the start-up
// dialogue (command line, splash and language, dictionary, first connection,
// identification check, reading the whole configuration); afterwards it is a
// big keyboard- and mouse-driven menu of eight tools, a menu bar with file,
// connection and help commands, and the place where the link's connection
// state arrives. Every text comes from the dictionary and is filled again
// whenever the language changes. Closing it ends the program.
//
// Reads the record, the settings, the link and the flags through App().
// Every tool window is modal, so no command runs while one is open.
// User-interface thread only.

#include "MenuLayout.h"
#include "TModuloLingua.h"
#include "ToolWindowFactory.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class QAction;
class QLabel;

namespace Ui {
class TFormMain;
}

namespace lumex::app {

class TFormAttesa;

// What the start-up dialogue needs from outside the window.
struct StartupOptions {
    QStringList arguments;     // the command line without the program itself
    QString programFolder;     // holds the dictionary and the flag pictures
    QString dictionaryFile = QStringLiteral("DizionarioMrb.dbf");

    // The running program's own arguments and folder.
    static StartupOptions FromApplication();
};

class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    // Runs the whole start-up sequence; afterwards App().startAborted and
    // App().terminationRequested tell whether the main loop should run.
    explicit TFormMain(const StartupOptions& options, QWidget* parent = nullptr);
    ~TFormMain() override;

    // --- Language ---
    void ApplyLanguage(QAction* item);
    void LanguageItemClick(QAction* item);
    void SelectLanguage(int index);

    // --- Menu ---
    void HideMenuItem(int index);
    void ShowMenuItem(int index);
    void ExecuteItem(int item);
    void MoveTo(int item);
    int CurrentItem() const { return m_current; }
    bool ItemVisible(int item) const { return m_visible.at(size_t(item)); }
    QLabel* MenuLabel(int item) const { return m_labels.at(size_t(item)); }
    QAction* MenuAction(int item) const { return m_actions.at(size_t(item)); }
    int ClientHeight() const;
    // Scales the whole content from the 800-pixel design to screenWidth; the
    // show handler does this once, when the window is first shown.
    void RescaleContent(int screenWidth);
    int RowStep = 0;
    int OptionalPage = 0;
    int SoftwarePage = 0;

    // --- Connection ---
    bool CheckIdentification() const;
    void ActionConnettiExecute();
    void ActionDisconnettiExecute();
    void OnLinkState(std::intptr_t lParam);
    void CloseStartupWait();
    std::array<std::uint8_t, 4> EcuIdent{};

    // --- Commands ---
    void ActionVisualizzaExecute();
    void ActionConfVettExecute();
    void ActionConfOpExecute();
    void ActionConfSoftwareExecute();
    void ActionDiagnosiExecute();
    void ActionIndicOrigExecute();
    void ActionGestioneFileExecute();
    void ActionEsciExecute();
    void ActionApriExecute();
    void ActionSalvaExecute();
    void ActionCliExecute();
    void MenuAboutClick();

    // --- State, for the windows that read it and for tests ---
    QString StatusPanel(int panel) const;
    QString HeldText(const QString& key) const { return m_held.value(key); }
    QWidget* StartupWaitWindow() const { return m_startupWait.data(); }
    TModuloLingua* Dictionary() const { return m_dictionary; }

    // Every key ApplyLanguage looks up, in order, with its maximum length.
    static std::vector<TextKey> DictionaryKeys();
    // The file dialogs' filter as the layout writes it, and in Qt's form.
    static QString LayoutFileFilter();
    static QString QtFileFilter(const QString& layoutFilter);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void SetUpControls();
    void BindMenuEntries();
    void ConnectCommands();
    void RunStartupSequence(const StartupOptions& options);
    bool StartupConnect();
    void ShowStartupWait();
    void LayOutMenu();
    void LayOutColumns();
    void SetHighlight(int item, bool on);
    void SetStatusPanel(int panel, const QString& text);
    void RunTool(const ToolWindowFactory::Create& create, QWidget* owner,
                 const std::function<void(QDialog&)>& before,
                 const std::function<void(QDialog&, int)>& after);
    bool HandleKey(QKeyEvent* key);
    QString ChooseConfigFile(bool save);
    QString ConfigFolder() const;
    int LanguageCount() const;

    std::unique_ptr<Ui::TFormMain> ui;
    std::array<QLabel*, menu::kMenuCount> m_labels{};
    std::array<QAction*, menu::kMenuCount> m_actions{};
    menu::Visibility m_visible{};
    std::array<QLabel*, 4> m_panels{};
    QHash<QString, QString> m_held;
    int m_current = 0;
    bool m_shownOnce = false;
    bool m_contentRescaled = false;          // rows are in screen pixels already
    TModuloLingua* m_dictionary = nullptr;   // owned; destroyed on close
    QPointer<QWidget> m_startupWait;
    QPointer<TFormAttesa> m_readingWait;     // the wait window of a running read
    QString m_openFolder;
    QString m_saveFolder;
};

}  // namespace lumex::app
