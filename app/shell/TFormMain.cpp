#include "TFormMain.h"

#include "AppGlobals.h"
#include "ConfCar.h"
#include "CustomerCode.h"
#include "EcuLink.h"
#include "GlobalData.h"
#include "LegacyLook.h"
#include "LinkEvent.h"
#include "QtLinkScreen.h"
#include "Seams.h"
#include "TAboutBox.h"
#include "TFormAttendere.h"
#include "TFormAttesa.h"
#include "TFormSplash.h"
#include "TPasswordDlg.h"
#include "ui_TFormMain.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

namespace lumex::app {

namespace {

constexpr int kDesignClientWidth = 804;
constexpr int kDesignClientHeight = 585;
constexpr int kMenuLabelMax = 35;

// Lookups of ApplyLanguage, in order. First the nine labels; the action hints
// are then copied from them; then menu and action captions; then the texts
// under fixed keys.
constexpr TextKey kLabelKeys[] = {
    {"LabelMenu", 30},        {"LabelVisualizza", 35}, {"LabelConfVettura", 35},
    {"LabelConfOpt", 35},     {"LabelDiagnosi", 35},   {"LabelConfSw", 35},
    {"LabelIndicatore", 35},  {"LabelFile", 35},       {"LabelUscita", 35},
};
constexpr TextKey kMenuKeys[] = {
    {"MenuFile", 30},           {"MenuStrumenti", 30},      {"ActionVisualizza", 30},
    {"ActionConfVett", 30},     {"ActionConfOp", 30},       {"ActionConfSoftware", 30},
    {"ActionDiagnosi", 30},     {"ActionIndicOrig", 30},    {"ActionGestioneFile", 30},
    {"ActionApri", 30},         {"ActionSalva", 30},        {"ActionStampa", 30},
    {"ActionEsci", 30},         {"ActionConnetti", 30},     {"ActionDisconnetti", 30},
    {"MenuCpu", 30},            {"MenuRileggi", 30},        {"MenuConfig", 30},
    {"MenuComPort", 30},        {"MenuDati", 30},           {"MenuBarre", 30},
    {"MenuLingue", 30},         {"MenuConnessione", 30},    {"MenuPulsanti", 30},
    {"MenuMostraTutte", 30},    {"MenuNascondiTutte", 30},  {"MenuAiuto", 30},
    {"MenuAbout", 30},
};
constexpr TextKey kFixedKeys[] = {
    {"FinestraPrincipale", 70}, {"LabelConnetti", 30},      {"LabelDisconnetti", 30},
    {"MessUscita", 70},         {"LabelVersione", 20},      {"MessConn", 30},
    {"MessNoConn", 30},         {"MessErrConn", 70},        {"MessCompletato", 20},
    {"LabelCaricaDati", 70},    {"FinestraCaricaDati", 70}, {"MessCpuErrata", 70},
    {"MessErrVersioneCpu", 70}, {"LabelStatoErrore", 70},   {"LabelVersioneCpu", 30},
    {"LabelAttendere", 70},
};

const QString kDictionaryBroken =
    QStringLiteral("Problemi col database multilingua.\nIl programma verrà chiuso.");

// Label names in item order, and the tool-action names in the same order.
constexpr const char* kItemLabels[menu::kMenuCount] = {
    "LabelVisualizza", "LabelConfVettura", "LabelConfOpt", "LabelConfSw",
    "LabelDiagnosi",   "LabelIndicatore",  "LabelFile",    "LabelUscita",
};

}  // namespace

StartupOptions StartupOptions::FromApplication() {
    StartupOptions options;
    options.arguments = QCoreApplication::arguments().mid(1);
    options.programFolder = QCoreApplication::applicationDirPath();
    return options;
}

TFormMain::TFormMain(const StartupOptions& options, QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::TFormMain>()) {
    ui->setupUi(this);
    SetUpControls();
    BindMenuEntries();
    ConnectCommands();
    if (App().screen)
        App().screen->SetFallbackWindow(this);
    qApp->installEventFilter(this);
    RunStartupSequence(options);
    // The start-up wait window goes at the first idle moment of the main
    // loop. Queued only now: a message box shown during the creation runs a
    // loop of its own, which must not take the wait window away under it.
    if (m_startupWait)
        QTimer::singleShot(0, this, &TFormMain::CloseStartupWait);
}

TFormMain::~TFormMain() {
    qApp->removeEventFilter(this);
    if (App().dictionary == m_dictionary)
        App().dictionary = nullptr;
    delete m_dictionary;
}

// ---------------------------------------------------------------------------
// Set-up

void TFormMain::SetUpControls() {
    setFont(LegacyFont(Face::DialogSans, 11));
    resize(kDesignClientWidth, kDesignClientHeight + menuBar()->sizeHint().height());
    setContextMenuPolicy(Qt::CustomContextMenu);

    ui->LabelMenu->setFont(LegacyFont(Face::MenuSerif, 27, true, true));
    QPalette red = ui->LabelMenu->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    ui->LabelMenu->setPalette(red);
    ui->LabelMenu->setProperty("AutoSize", true);
    ui->LabelMenu->adjustSize();

    const std::array<QAction*, menu::kMenuCount> actions{
        ui->ActionVisualizza, ui->ActionConfVett, ui->ActionConfOp, ui->ActionConfSoftware,
        ui->ActionDiagnosi,   ui->ActionIndicOrig, ui->ActionGestioneFile, ui->ActionEsci};
    for (int item = 0; item < menu::kMenuCount; ++item) {
        QLabel* label = centralWidget()->findChild<QLabel*>(QLatin1String(kItemLabels[item]));
        m_labels[size_t(item)] = label;
        m_actions[size_t(item)] = actions[size_t(item)];
        m_visible[size_t(item)] = true;
        label->setFont(LegacyFont(Face::MenuSerif, 27, true, true));
        label->setCursor(Qt::PointingHandCursor);
        label->setMouseTracking(true);
        label->setProperty("AutoSize", true);
        label->adjustSize();
        label->installEventFilter(this);
        SetHighlight(item, false);
    }

    ui->LabelFreccia->setFont(LegacyFont(Face::MenuSerif, 37, true));
    QPalette yellow = ui->LabelFreccia->palette();
    yellow.setColor(QPalette::WindowText, QColor(255, 255, 0));
    ui->LabelFreccia->setPalette(yellow);
    ui->LabelFreccia->resize(ui->LabelFreccia->sizeHint());
    SetTag(ui->LabelFreccia, 0);

    // The status bar stays hidden; its panels are kept current all the same.
    const int widths[4] = {230, 70, 100, 200};
    for (int panel = 0; panel < 4; ++panel) {
        auto* label = new QLabel(ui->StatusBarMain);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(panel));
        label->setFixedWidth(widths[panel]);
        ui->StatusBarMain->addWidget(label);
        m_panels[size_t(panel)] = label;
    }
    SetStatusPanel(0, QStringLiteral("Centralina non connessa"));
    SetStatusPanel(2, QStringLiteral("Italiano"));
    ui->StatusBarMain->hide();

    ui->ActionStampa->setVisible(false);
    ui->ActionDisconnetti->setEnabled(false);
    ui->MenuRileggi->setEnabled(false);
    ui->MenuConfig->menuAction()->setVisible(false);
    ui->MenuConfig->menuAction()->setEnabled(false);
    LayOutColumns();
}

void TFormMain::BindMenuEntries() {
    // A menu entry bound to an action shows the action's caption and state
    // and runs it; MenuDati keeps a caption of its own.
    const auto bind = [](QAction* entry, QAction* action, bool ownText) {
        const auto sync = [entry, action, ownText] {
            if (!ownText)
                entry->setText(action->text());
            entry->setStatusTip(action->statusTip());
            entry->setEnabled(action->isEnabled());
            entry->setVisible(action->isVisible());
        };
        sync();
        QObject::connect(action, &QAction::changed, entry, sync);
        QObject::connect(entry, &QAction::triggered, action, [action] { action->trigger(); });
    };
    bind(ui->MenuApri, ui->ActionApri, false);
    bind(ui->MenuSalva, ui->ActionSalva, false);
    bind(ui->MenuStampa, ui->ActionStampa, false);
    bind(ui->MenuEsci, ui->ActionEsci, false);
    bind(ui->MenuConnetti, ui->ActionConnetti, false);
    bind(ui->MenuDisconnetti, ui->ActionDisconnetti, false);
    bind(ui->Cliente1, ui->ActionCli, false);
    bind(ui->MenuParametri, ui->ActionVisualizza, false);
    bind(ui->MenuVettura, ui->ActionConfVett, false);
    bind(ui->MenuConfOpt, ui->ActionConfOp, false);
    bind(ui->MenuSoftware, ui->ActionConfSoftware, false);
    bind(ui->MenuDiagnosi, ui->ActionDiagnosi, false);
    bind(ui->MenuIndicatore, ui->ActionIndicOrig, false);
    bind(ui->MenuDati, ui->ActionGestioneFile, true);
    // The window's own key handling serves these keys; the menu only shows them.
    ui->MenuEsci->setShortcutContext(Qt::WidgetShortcut);
    ui->MenuAbout->setShortcutContext(Qt::WidgetShortcut);
}

void TFormMain::ConnectCommands() {
    const std::pair<QAction*, void (TFormMain::*)()> commands[] = {
        {ui->ActionVisualizza, &TFormMain::ActionVisualizzaExecute},
        {ui->ActionConfVett, &TFormMain::ActionConfVettExecute},
        {ui->ActionConfOp, &TFormMain::ActionConfOpExecute},
        {ui->ActionConfSoftware, &TFormMain::ActionConfSoftwareExecute},
        {ui->ActionDiagnosi, &TFormMain::ActionDiagnosiExecute},
        {ui->ActionIndicOrig, &TFormMain::ActionIndicOrigExecute},
        {ui->ActionGestioneFile, &TFormMain::ActionGestioneFileExecute},
        {ui->ActionEsci, &TFormMain::ActionEsciExecute},
        {ui->ActionApri, &TFormMain::ActionApriExecute},
        {ui->ActionSalva, &TFormMain::ActionSalvaExecute},
        {ui->ActionConnetti, &TFormMain::ActionConnettiExecute},
        {ui->ActionDisconnetti, &TFormMain::ActionDisconnettiExecute},
        {ui->ActionCli, &TFormMain::ActionCliExecute},
        {ui->MenuRileggi, &TFormMain::ActionConnettiExecute},
        {ui->MenuAbout, &TFormMain::MenuAboutClick},
    };
    for (const auto& [action, handler] : commands)
        connect(action, &QAction::triggered, this, handler);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (m_dictionary && m_dictionary->PopupMenuLingue)
            m_dictionary->PopupMenuLingue->popup(mapToGlobal(at));
    });
}


// ---------------------------------------------------------------------------
// Language

int TFormMain::LanguageCount() const {
    return m_dictionary && m_dictionary->PopupMenuLingue
               ? int(m_dictionary->PopupMenuLingue->actions().size())
               : 0;
}

std::vector<TextKey> TFormMain::DictionaryKeys() {
    std::vector<TextKey> keys(std::begin(kLabelKeys), std::end(kLabelKeys));
    keys.insert(keys.end(), std::begin(kMenuKeys), std::end(kMenuKeys));
    keys.insert(keys.end(), std::begin(kFixedKeys), std::end(kFixedKeys));
    return keys;
}

void TFormMain::ApplyLanguage(QAction* item) {
    if (!m_dictionary || !m_dictionary->DictionaryReady || !item)
        return;
    m_dictionary->OpenTable();
    m_dictionary->CurrentLanguage = item->objectName();

    std::vector<TextSlot> labels;
    for (const TextKey& key : kLabelKeys) {
        auto* label = centralWidget()->findChild<QLabel*>(QLatin1String(key.key));
        labels.push_back({QLatin1String(key.key), key.max, [label](const QString& text) {
                              label->setText(text);
                              label->adjustSize();
                          }});
    }
    std::vector<TextSlot> menus;
    for (const TextKey& key : kMenuKeys) {
        const QString name = QLatin1String(key.key);
        QAction* action = findChild<QAction*>(name);
        QMenu* menu = action ? nullptr : findChild<QMenu*>(name);
        menus.push_back({name, key.max, [action, menu](const QString& text) {
                             if (action)
                                 action->setText(text);
                             else if (menu)
                                 menu->setTitle(text);
                         }});
    }
    std::vector<TextSlot> fixed;
    for (const TextKey& key : kFixedKeys) {
        const QString name = QLatin1String(key.key);
        std::function<void(const QString&)> set = [this, name](const QString& text) {
            m_held.insert(name, text);
        };
        if (name == QLatin1String("FinestraPrincipale"))
            set = [this](const QString& text) { setWindowTitle(text); };
        else if (name == QLatin1String("LabelConnetti"))
            set = [this](const QString& text) { ui->ActionConnetti->setStatusTip(text); };
        else if (name == QLatin1String("LabelDisconnetti"))
            set = [this](const QString& text) { ui->ActionDisconnetti->setStatusTip(text); };
        fixed.push_back({name, key.max, set});
    }

    bool filled = m_dictionary->FillSlots(labels) < 0;
    if (filled) {
        for (int item = 0; item < menu::kMenuCount; ++item)
            m_actions[size_t(item)]->setStatusTip(m_labels[size_t(item)]->text());
        filled = m_dictionary->FillSlots(menus) < 0 && m_dictionary->FillSlots(fixed) < 0;
    }
    if (filled) {
        SetStatusPanel(2, WithoutFirstAmpersand(item->text()));
        const bool connected = App().link && App().link->IsConnected() != 0;
        SetStatusPanel(0, HeldText(connected ? QStringLiteral("MessConn")
                                             : QStringLiteral("MessNoConn")));
    } else {
        ShowMessage(this, kDictionaryBroken, App().applicationTitle, QMessageBox::Critical);
        RequestTermination();
    }
    m_dictionary->CloseTable();
    LayOutColumns();
}

void TFormMain::LanguageItemClick(QAction* item) {
    item->setChecked(true);
    ApplyLanguage(item);
    if (App().settings && m_dictionary && m_dictionary->PopupMenuLingue)
        App().settings->SetLanguage(int(m_dictionary->PopupMenuLingue->actions().indexOf(item)));
}

void TFormMain::SelectLanguage(int index) {
    if (index < 0 || index >= LanguageCount())
        return;
    m_dictionary->PopupMenuLingue->actions().at(index)->trigger();
}

// ---------------------------------------------------------------------------
// Menu

int TFormMain::ClientHeight() const { return height() - menuBar()->sizeHint().height(); }

void TFormMain::HideMenuItem(int index) {
    if (index < 0 || index >= menu::kMenuCount)
        return;
    m_labels[size_t(index)]->hide();
    m_visible[size_t(index)] = false;
    LayOutMenu();
    m_actions[size_t(index)]->setVisible(false);
}

void TFormMain::ShowMenuItem(int index) {
    if (index < 0 || index >= menu::kMenuCount)
        return;
    m_labels[size_t(index)]->show();
    m_visible[size_t(index)] = true;
    LayOutMenu();
    m_actions[size_t(index)]->setVisible(true);
}

void TFormMain::LayOutMenu() {
    RowStep = menu::RowStep(ClientHeight());
    menu::Tops tops{};
    for (int item = 0; item < menu::kMenuCount; ++item)
        tops[size_t(item)] = m_labels[size_t(item)]->y();
    // The exit gap scales design rows by screen width / 800. Once the content
    // has been rescaled the client height, and so RowStep, is in screen
    // pixels already: scaling again would push the exit item off the bottom
    // of the maximised window when the connect command shows an item.
    const int gapScreenWidth = m_contentRescaled ? 800 : PrimaryScreenWidth();
    const auto layout = menu::LayOutRows(RowStep, m_visible, tops, gapScreenWidth);
    ui->LabelMenu->move(ui->LabelMenu->x(), layout.titleTop);
    for (int item = 0; item < menu::kMenuCount; ++item)
        m_labels[size_t(item)]->move(m_labels[size_t(item)]->x(), layout.tops[size_t(item)]);
    ui->LabelFreccia->move(ui->LabelFreccia->x(), m_labels[size_t(m_current)]->y());
}

void TFormMain::LayOutColumns() {
    int widest = 0;
    for (QLabel* label : m_labels)
        widest = std::max(widest, label->width());
    const auto layout =
        menu::LayOutColumns(frameGeometry().width(), ui->LabelMenu->width(), widest);
    ui->LabelMenu->move(layout.titleLeft, ui->LabelMenu->y());
    for (QLabel* label : m_labels)
        label->move(layout.itemsLeft, label->y());
    ui->LabelFreccia->move(layout.arrowLeft, ui->LabelFreccia->y());
}

void TFormMain::SetHighlight(int item, bool on) {
    QLabel* label = m_labels[size_t(item)];
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText,
                     on ? QColor(255, 255, 0) : QApplication::palette().color(QPalette::Base));
    label->setPalette(palette);
    QFont font = label->font();
    font.setUnderline(on);
    label->setFont(font);
}

void TFormMain::MoveTo(int item) {
    if (item < 0 || item >= menu::kMenuCount)
        return;
    SetHighlight(m_current, false);
    m_current = item;
    SetTag(ui->LabelFreccia, item);
    SetHighlight(item, true);
    ui->LabelFreccia->move(ui->LabelFreccia->x(), m_labels[size_t(item)]->y());
}

void TFormMain::ExecuteItem(int item) {
    if (item >= 0 && item < menu::kMenuCount)
        m_actions[size_t(item)]->trigger();
}

bool TFormMain::HandleKey(QKeyEvent* key) {
    const auto mods = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    const bool keypad = key->modifiers() & Qt::KeypadModifier;
    switch (key->key()) {
    case Qt::Key_Down:
        if (mods == Qt::NoModifier) {
            MoveTo(menu::NextItem(m_current, m_visible));
            return true;
        }
        break;
    case Qt::Key_Up:
        if (mods == Qt::NoModifier) {
            MoveTo(menu::PreviousItem(m_current, m_visible));
            return true;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (mods == Qt::NoModifier) {
            ExecuteItem(m_current);
            return true;
        }
        break;
    case Qt::Key_A:
        if (mods == Qt::ControlModifier) {
            MenuAboutClick();
            return true;
        }
        break;
    case Qt::Key_1:
    case Qt::Key_End:   // keypad 1 with Num Lock off
        if (mods == Qt::ControlModifier && keypad) {
            MenuAboutClick();
            return true;
        }
        break;
    case Qt::Key_Q:
        if (mods == Qt::ControlModifier) {
            ui->ActionEsci->trigger();
            return true;
        }
        if (mods == Qt::AltModifier) {
            close();
            return true;
        }
        break;
    case Qt::Key_F2:
        if (mods == Qt::AltModifier) {
            close();
            return true;
        }
        break;
    default:
        break;
    }
    return false;
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
    // Keys: every key of this window passes here first, whatever has focus;
    // keys of other windows (modal tools, popups) are left alone.
    if (event->type() == QEvent::KeyPress) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this && !QApplication::activePopupWidget())
            return HandleKey(static_cast<QKeyEvent*>(event));
        return false;
    }
    const auto found = std::find(m_labels.begin(), m_labels.end(), watched);
    if (found == m_labels.end())
        return false;
    const int item = int(found - m_labels.begin());
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::MouseMove:
        if (item != m_current)
            MoveTo(item);
        break;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            ExecuteItem(item);
            return true;
        }
        break;
    default:
        break;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Window events

void TFormMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    RescaleContent(PrimaryScreenWidth());
    repaint();
}

void TFormMain::RescaleContent(int screenWidth) {
    if (screenWidth == 800 || screenWidth <= 0 || m_contentRescaled)
        return;
    ScaleChildren(centralWidget(), screenWidth / 800.0);
    m_contentRescaled = true;
}

void TFormMain::closeEvent(QCloseEvent* event) {
    if (App().dictionary == m_dictionary)
        App().dictionary = nullptr;
    delete m_dictionary;
    m_dictionary = nullptr;
    QMainWindow::closeEvent(event);
}

QString TFormMain::StatusPanel(int panel) const {
    return panel >= 0 && panel < 4 ? m_panels[size_t(panel)]->text() : QString();
}

void TFormMain::SetStatusPanel(int panel, const QString& text) {
    m_panels[size_t(panel)]->setText(text);
}

// ---------------------------------------------------------------------------
// Tool windows

void TFormMain::RunTool(const ToolWindowFactory::Create& create, QWidget* owner,
                        const std::function<void(QDialog&)>& before,
                        const std::function<void(QDialog&, int)>& after) {
    if (!create)
        return;   // the window is not part of this build
    std::unique_ptr<QDialog> window = create(owner);
    if (!window)
        return;
    if (before)
        before(*window);
    const int result = RunModal(*window);
    if (after)
        after(*window, result);
}

void TFormMain::ActionVisualizzaExecute() {
    RunTool(ToolWindows().visualizza, this, [](QDialog& window) { window.move(0, 0); }, {});
}

void TFormMain::ActionConfVettExecute() {
    RunTool(ToolWindows().confVettura, this, [](QDialog& window) { SetTag(&window, 1); },
            [this](QDialog& window, int) {
                if (window.property("MemoryErased").toBool())
                    SetStatusPanel(3, QString());
            });
}

void TFormMain::ActionConfOpExecute() {
    RunTool(ToolWindows().confOpt, this,
            [this](QDialog& window) { SetTag(&window, 256 + OptionalPage); },
            [this](QDialog& window, int) { OptionalPage = TagOf(&window); });
}

void TFormMain::ActionConfSoftwareExecute() {
    RunTool(ToolWindows().confSoftware, this,
            [this](QDialog& window) { SetTag(&window, 256 + SoftwarePage); },
            [this](QDialog& window, int) { SoftwarePage = TagOf(&window); });
}

void TFormMain::ActionDiagnosiExecute() { RunTool(ToolWindows().diagnosi, this, {}, {}); }

void TFormMain::ActionIndicOrigExecute() { RunTool(ToolWindows().indicatore, this, {}, {}); }

void TFormMain::ActionGestioneFileExecute() {
    RunTool(ToolWindows().gestioneFile, nullptr, {}, [this](QDialog&, int result) {
        if (result == QDialog::Accepted && App().record)
            SetStatusPanel(3, QFileInfo(QFile::decodeName(App().record->FileName().c_str()))
                                  .fileName());
    });
}

void TFormMain::ActionEsciExecute() { close(); }

// ---------------------------------------------------------------------------
// Files

QString TFormMain::LayoutFileFilter() { return QStringLiteral("KTV Cassiope|*.cas"); }

QString TFormMain::QtFileFilter(const QString& layoutFilter) {
    // "Description|pattern;pattern|Description|pattern" -> "Description (pattern pattern);;..."
    const QStringList parts = layoutFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts.at(i + 1);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters.push_back(parts.at(i) + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return filters.join(QStringLiteral(";;"));
}

QString TFormMain::ConfigFolder() const {
    QString folder;
    if (App().settings)
        App().settings->GetFolder(GlobalData::ConfigFolderKind, folder);
    return folder;
}

QString TFormMain::ChooseConfigFile(bool save) {
    QString& folder = save ? m_saveFolder : m_openFolder;
    if (folder.isEmpty())
        folder = ConfigFolder();   // created on the way
    FileDialogRequest request;
    request.kind = save ? FileDialogKind::Save : FileDialogKind::Open;
    request.folder = folder;
    request.filter = QtFileFilter(LayoutFileFilter());
    request.defaultSuffix = QStringLiteral("cas");
    const QString path = RunFileDialog(this, request);
    if (!path.isEmpty())
        folder = QFileInfo(path).absolutePath();
    return path;
}

void TFormMain::ActionApriExecute() {
    lumex::ConfCar* record = App().record;
    const QString path = ChooseConfigFile(false);
    if (path.isEmpty() || !record)
        return;
    repaint();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::string previous = record->FileName();
    record->SetFileName(QFile::encodeName(path).toStdString());
    const lumex::FileStatus status = record->LoadFile();
    QApplication::restoreOverrideCursor();
    if (status.ok) {
        SetStatusPanel(3, QFileInfo(path).fileName());
        return;
    }
    // The loader left the record and the ECU as they were: so is the name.
    record->SetFileName(previous);
    ShowMessage(this, QString::fromStdString(status.Describe(QFile::encodeName(path).toStdString())),
                windowTitle(), QMessageBox::Critical);
}

void TFormMain::ActionSalvaExecute() {
    lumex::ConfCar* record = App().record;
    const QString path = ChooseConfigFile(true);
    if (path.isEmpty() || !record)
        return;
    const std::string previous = record->FileName();
    record->SetFileName(QFile::encodeName(path).toStdString());
    const lumex::FileStatus status = record->SaveFile();
    if (status.ok) {
        SetStatusPanel(3, QFileInfo(path).fileName());
        return;
    }
    record->SetFileName(previous);
    ShowMessage(this, QString::fromStdString(status.Describe(QFile::encodeName(path).toStdString())),
                windowTitle(), QMessageBox::Critical);
}

// ---------------------------------------------------------------------------
// About box and customer code

void TFormMain::MenuAboutClick() {
    TAboutBox box(this);
    const QString ecuVersion =
        App().demoMode ? QStringLiteral("DEMO")
                       : HeldText(QStringLiteral("LabelVersioneCpu")) + QLatin1Char(' ') +
                             QString::number(EcuIdent[3]);
    box.Fill(windowTitle(), HeldText(QStringLiteral("LabelVersione")), ecuVersion);
    RunModal(box);
}

void TFormMain::ActionCliExecute() {
    QString entry;
    {
        TPasswordDlg dialog(this);
        RunModal(dialog);
        entry = dialog.Text();
    }
    const auto code = CustomerCodeFromEntry(entry);
    if (code && App().record)
        App().record->WriteValue(lumex::CustomerCode, double(*code));
}

}  // namespace lumex::app
