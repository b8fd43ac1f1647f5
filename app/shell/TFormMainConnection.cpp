// TFormMain's start-up dialogue and connection handling: the sequence run by
// the window's creation, the connect/disconnect commands and the link's
// connection-state messages. The window itself lives in TFormMain.cpp.
#include "TFormMain.h"

#include "AppGlobals.h"
#include "ConfCar.h"
#include "EcuLink.h"
#include "GlobalData.h"
#include "LinkEvent.h"
#include "Seams.h"
#include "TFormAttendere.h"
#include "TFormAttesa.h"
#include "TFormSplash.h"
#include "ui_TFormMain.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

namespace lumex::app {

namespace {

constexpr int kGaugeItem = 5;
constexpr int kDiagnosticsItem = 4;

const QString kDictionaryUnusable = QStringLiteral(
    "Errore critico: problemi col database multilingua.\nImpossibile continuare.");

void CentreOnScreen(QWidget* window) {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window->move(screen->geometry().center() - window->rect().center());
}

}  // namespace


void TFormMain::RunStartupSequence(const StartupOptions& options) {
    lumex::ConfCar* record = App().record;
    GlobalData* settings = App().settings;

    if (record)
        record->ReducedModel = false;
    const QStringList& args = options.arguments;
    if (!args.isEmpty() && args.constFirst() == QLatin1String("/demo"))
        App().demoMode = true;
    if (args.size() == 2 && args.at(1) == QLatin1String("/nocomm")) {
        if (record)
            record->ReducedModel = true;
        OptionalPage = 1;
    }

    auto splash = std::make_unique<TFormSplash>(this);
    if (settings)
        settings->SetMainFolder(options.programFolder);
    const QString mainFolder = settings ? settings->MainFolder() : options.programFolder;

    m_dictionary = new TModuloLingua();
    App().dictionary = m_dictionary;
    if (!m_dictionary->OpenDictionary(options.programFolder, options.dictionaryFile)) {
        ShowMessage(this, kDictionaryUnusable, App().applicationTitle, QMessageBox::Critical);
        RequestTermination();
        m_dictionary->DictionaryReady = false;
        return;
    }
    m_dictionary->DictionaryReady = true;

    m_dictionary->OpenTable();
    const QList<QAction*> languages = m_dictionary->PopupMenuLingue->actions();
    for (int position = 0; position < languages.size(); ++position) {
        QAction* item = languages.at(position);
        splash->AddLanguageButton(item, position, mainFolder);
        connect(item, &QAction::triggered, this, [this, item] { LanguageItemClick(item); });
    }

    for (int item = 0; item < menu::kMenuCount; ++item)
        SetTag(m_labels[size_t(item)], item);
    m_current = 0;
    SetTag(ui->LabelFreccia, 0);
    SetHighlight(0, true);

    const int stored = settings ? settings->GetLanguage() : 0;
    if (stored >= 0 && stored < languages.size()) {
        QString startText;
        if (m_dictionary->LookupTextIn(languages.at(stored)->objectName(),
                                       QStringLiteral("LabelAvvio"), 70, startText))
            splash->SetStartText(startText);
    }
    splash->StretchStartText();

    CentreOnScreen(splash.get());
    RunModal(*splash);
    const int chosen = splash->Tag();
    SelectLanguage(chosen < 0 || chosen >= languages.size() ? stored : chosen);
    splash.reset();

    ShowStartupWait();
    centralWidget()->setAutoFillBackground(true);
    QPalette green = centralWidget()->palette();
    green.setColor(QPalette::Window, QColor(0, 128, 0));
    centralWidget()->setPalette(green);
    HideMenuItem(kGaugeItem);

    if (App().demoMode) {
        if (record && record->ReducedModel) {
            HideMenuItem(kGaugeItem);
            HideMenuItem(kDiagnosticsItem);
        }
        return;
    }
    if (!StartupConnect())
        App().startAborted = true;
}

void TFormMain::ShowStartupWait() {
    if (App().demoMode) {
        auto* wait = new TFormAttendere(this);
        wait->SetText(HeldText(QStringLiteral("LabelAttendere")));
        m_startupWait = wait;
    } else {
        auto* wait = new TFormAttesa(this);
        wait->setWindowTitle(HeldText(QStringLiteral("FinestraCaricaDati")));
        wait->SetMessage(HeldText(QStringLiteral("LabelCaricaDati")));
        wait->ProgressSuffix = HeldText(QStringLiteral("MessCompletato"));
        m_startupWait = wait;
        m_readingWait = wait;
    }
    CentreOnScreen(m_startupWait);
    m_startupWait->show();
    m_startupWait->repaint();
}

bool TFormMain::StartupConnect() {
    lumex::EcuLink* link = App().link;
    lumex::ConfCar* record = App().record;
    if (!link || !link->OpenPort()) {
        ShowMessage(this, HeldText(QStringLiteral("MessErrConn")), App().applicationTitle,
                    QMessageBox::Critical);
        return false;
    }
    link->Connect();
    if (!link->ReadIdent(EcuIdent.data())) {
        ShowMessage(this, HeldText(QStringLiteral("MessErrVersioneCpu")), windowTitle(),
                    QMessageBox::Critical);
        link->Disconnect();
        return false;
    }
    if (!CheckIdentification()) {
        ShowMessage(this, HeldText(QStringLiteral("MessCpuErrata")),
                    HeldText(QStringLiteral("LabelStatoErrore")) + QLatin1Char(' ') +
                        QString::number(EcuIdent[0]),
                    QMessageBox::Critical);
        link->Disconnect();
        return false;
    }
    const bool reduced = EcuIdent[1] == 2;
    if (record)
        record->ReducedModel = reduced;
    if (reduced) {
        OptionalPage = 1;
        HideMenuItem(kGaugeItem);
        HideMenuItem(kDiagnosticsItem);
    } else {
        OptionalPage = 0;
    }
    if (record)
        record->ReadAll();
    return true;
}

void TFormMain::CloseStartupWait() {
    if (m_startupWait) {
        m_startupWait->close();
        delete m_startupWait.data();
    }
}

bool TFormMain::CheckIdentification() const {
    return (EcuIdent[0] == 7 || EcuIdent[0] == 255) && (EcuIdent[1] == 0 || EcuIdent[1] == 2);
}

// ---------------------------------------------------------------------------
// Connection

void TFormMain::ActionConnettiExecute() {
    lumex::EcuLink* link = App().link;
    const auto fail = [this](const char* key) {
        ShowMessage(this, HeldText(QLatin1String(key)), windowTitle(), QMessageBox::Critical);
    };
    if (!link || !link->OpenPort())
        return fail("MessErrConn");
    if (link->Connect() == 0)
        return fail("MessErrConn");
    if (!link->ReadIdent(EcuIdent.data())) {
        fail("MessErrVersioneCpu");
        link->Disconnect();
        return;
    }
    if (!CheckIdentification()) {
        fail("MessCpuErrata");
        link->Disconnect();
        return;
    }
    repaint();
    auto* wait = new TFormAttesa(this);   // stays owned by this window
    wait->setWindowTitle(HeldText(QStringLiteral("FinestraCaricaDati")));
    wait->SetMessage(HeldText(QStringLiteral("LabelCaricaDati")));
    wait->ProgressSuffix = HeldText(QStringLiteral("MessCompletato"));
    if ((EcuIdent[2] & 1) != 0 && !ItemVisible(kGaugeItem))
        ShowMenuItem(kGaugeItem);
    CentreOnScreen(wait);
    wait->show();
    wait->repaint();
    m_readingWait = wait;
    if (App().record)
        App().record->ReadAll();
    wait->close();
}

void TFormMain::ActionDisconnettiExecute() {
    if (App().link)
        App().link->Disconnect();
    SetStatusPanel(0, HeldText(QStringLiteral("MessNoConn")));
}

void TFormMain::OnLinkState(std::intptr_t lParam) {
    if (App().demoMode)
        return;
    if (lParam == 0) {
        SetStatusPanel(0, HeldText(QStringLiteral("MessNoConn")));
        ui->ActionConnetti->setEnabled(true);
        ui->ActionDisconnetti->setEnabled(false);
        SetStatusPanel(1, QString());
        ShowMessage(this, HeldText(QStringLiteral("MessErrConn")), windowTitle(),
                    QMessageBox::Critical);
        RequestTermination();
        return;
    }
    SetStatusPanel(0, HeldText(QStringLiteral("MessConn")));
    ui->ActionConnetti->setEnabled(false);
    ui->ActionDisconnetti->setEnabled(true);
    const int port = App().link ? App().link->GetPort() : 0;
    SetStatusPanel(1, port == lumex::kUsbPort ? QStringLiteral("USB")
                                              : QStringLiteral("COM") + QString::number(port + 1));
    ui->MenuRileggi->setEnabled(ui->ActionDisconnetti->isEnabled());
    repaint();
}

bool TFormMain::event(QEvent* event) {
    if (event->type() == LinkEvent::StateType()) {
        OnLinkState(static_cast<LinkEvent*>(event)->lParam());
        return true;
    }
    if (event->type() == LinkEvent::ProgressType()) {
        // Reaches this window only when the wait window was not yet active.
        if (m_readingWait && m_readingWait->isVisible())
            QCoreApplication::sendEvent(m_readingWait, event);
        return true;
    }
    return QMainWindow::event(event);
}
}  // namespace lumex::app
