#pragma once
// GlobalData: the settings that survive from one run to the next: the main
// folder (and the configurations folder derived from it), the language index
// and one counter, "Stat1", that is kept but not used. They live in the
// user's settings under "KTV srl"/"Lumex" (QSettings; the registry key
// HKEY_CURRENT_USER\Software\KTV srl\Lumex on Windows) as "MainPath",
// "Language" and "Stat1", are read once at construction and written back at
// destruction.
//
// One object, created by start-up and reached through App().settings. User-
// interface thread only.

#include <QString>

#include <memory>

class QSettings;

namespace lumex::app {

class GlobalData {
public:
    enum FolderKind { MainFolderKind = 1, ConfigFolderKind = 3 };

    // Reads the settings. When one is missing or unreadable (the first run)
    // the program folder becomes the main folder and the user is asked
    // whether to go on; proceed is false when they said No, and then nothing
    // is written back. currentFolder is the starting main folder.
    GlobalData(const QString& currentFolder, const QString& programFolder, bool& proceed);
    // Uses the given settings store (tests point it at a scratch file).
    GlobalData(std::unique_ptr<QSettings> store, const QString& currentFolder,
               const QString& programFolder, bool& proceed);
    ~GlobalData();
    GlobalData(const GlobalData&) = delete;
    GlobalData& operator=(const GlobalData&) = delete;

    // Kind 1: the main folder; kind 3: the configurations folder, created
    // when missing. Any other kind leaves out alone and returns false.
    bool GetFolder(int kind, QString& out) const;
    void SetMainFolder(const QString& path);
    int GetLanguage() const { return m_language; }
    void SetLanguage(int index) { m_language = index; }
    int Stat1() const { return m_stat1; }

    QString MainFolder() const { return m_mainFolder; }
    // The main folder plus "/Configurazioni", whether or not it is usable.
    QString ConfigFolder() const { return m_configFolder; }
    // The folder the configuration files really go to: ConfigFolder() when it
    // can be created and written, else "Configurazioni" in the user's data
    // location, so that a program installed read-only can still save.
    QString UsableConfigFolder() const;

    // Writes the three values now (the destructor does the same).
    void Write();

private:
    void Read(const QString& currentFolder, const QString& programFolder, bool& proceed);

    std::unique_ptr<QSettings> m_store;
    QString m_mainFolder;
    QString m_configFolder;
    int m_language = 0;
    int m_stat1 = 0;
    bool m_writeBack = false;
};

}  // namespace lumex::app
