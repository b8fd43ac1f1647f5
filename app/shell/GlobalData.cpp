#include "GlobalData.h"

#include "AppGlobals.h"
#include "Seams.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace lumex::app {

namespace {

const QString kMainPath = QStringLiteral("MainPath");
const QString kLanguage = QStringLiteral("Language");
const QString kStat1 = QStringLiteral("Stat1");
const QString kConfigSubfolder = QStringLiteral("Configurazioni");

bool ReadInt(const QSettings& store, const QString& name, int& out) {
    if (!store.contains(name))
        return false;
    bool ok = false;
    const int value = store.value(name).toInt(&ok);
    if (ok)
        out = value;
    return ok;
}

bool FolderUsable(const QString& folder) {
    if (!QDir().mkpath(folder))
        return false;
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

}  // namespace

GlobalData::GlobalData(const QString& currentFolder, const QString& programFolder,
                       bool& proceed)
    : GlobalData(std::make_unique<QSettings>(QStringLiteral("KTV srl"), QStringLiteral("Lumex")),
                 currentFolder, programFolder, proceed) {}

GlobalData::GlobalData(std::unique_ptr<QSettings> store, const QString& currentFolder,
                       const QString& programFolder, bool& proceed)
    : m_store(std::move(store)) {
    Read(currentFolder, programFolder, proceed);
}

GlobalData::~GlobalData() { Write(); }

void GlobalData::Read(const QString& currentFolder, const QString& programFolder,
                      bool& proceed) {
    proceed = true;
    SetMainFolder(currentFolder);
    if (m_store->status() != QSettings::NoError)
        return;  // the store cannot be used: run on the defaults, write nothing

    m_writeBack = true;
    bool readOk = m_store->contains(kMainPath);
    SetMainFolder(m_store->value(kMainPath).toString());
    readOk = ReadInt(*m_store, kLanguage, m_language) && readOk;
    readOk = ReadInt(*m_store, kStat1, m_stat1) && readOk;
    if (readOk)
        return;

    if (QString::compare(programFolder, m_mainFolder, Qt::CaseInsensitive) != 0)
        SetMainFolder(programFolder);
    const int answer = ShowMessage(
        nullptr,
        QStringLiteral("Non è possibile eseguire correttamente il programma. \nContinuare in ogni caso?"),
        App().applicationTitle, QMessageBox::Critical, QMessageBox::Yes | QMessageBox::No,
        QMessageBox::No);
    if (answer != QMessageBox::Yes) {
        proceed = false;
        m_writeBack = false;
    }
}

void GlobalData::Write() {
    if (!m_writeBack)
        return;
    m_store->setValue(kMainPath, m_mainFolder);
    m_store->setValue(kLanguage, m_language);
    m_store->setValue(kStat1, m_stat1);
    m_store->sync();
}

void GlobalData::SetMainFolder(const QString& path) {
    QString folder = QDir::fromNativeSeparators(path);
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    m_mainFolder = folder;
    m_configFolder = folder + QLatin1Char('/') + kConfigSubfolder;
}

QString GlobalData::UsableConfigFolder() const {
    if (FolderUsable(m_configFolder))
        return m_configFolder;
    const QString fallback =
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QLatin1Char('/') +
        kConfigSubfolder;
    QDir().mkpath(fallback);
    return fallback;
}

bool GlobalData::GetFolder(int kind, QString& out) const {
    switch (kind) {
    case MainFolderKind:
        out = m_mainFolder;
        return true;
    case ConfigFolderKind:
        out = UsableConfigFolder();
        return true;
    default:
        return false;
    }
}

}  // namespace lumex::app
