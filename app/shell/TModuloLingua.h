#pragma once
// TModuloLingua: the multilingual dictionary. It reads the dictionary table
// (a dBase file: key column "IDENTIF", then one column per language, the
// column name being the language's name) into memory once, builds the
// language menu from its columns, and looks texts up by key in the language
// in use. Windows fill their texts through FillTexts, which follows the
// program's convention: lookups in a fixed order, each cut to a maximum
// length, the first failure stops the rest and is reported once.
//
// Created by the main window at start-up and destroyed when it closes. Used
// from the user-interface thread only.

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QMenu;
class QActionGroup;

namespace lumex::app {

// One text a window fills: the dictionary key, the maximum length, and where
// the text goes.
struct TextSlot {
    QString key;
    int max = 0;
    std::function<void(const QString&)> set;
};

// A key and its maximum length, as windows list them in constant tables.
struct TextKey {
    const char* key;
    int max;
};

class TModuloLingua : public QObject {
    Q_OBJECT
public:
    explicit TModuloLingua(QObject* parent = nullptr);
    ~TModuloLingua() override;

    // Reads folder/fileName and builds PopupMenuLingue. Fails (with a reason
    // in *error) for a missing or unreadable file, a table without columns,
    // or a language without its "MenuLingua" text.
    bool OpenDictionary(const QString& folder, const QString& fileName,
                        QString* error = nullptr);

    // The text of key in CurrentLanguage, cut to its first max characters.
    // False for a key without row, an empty value or no language in use.
    bool LookupText(const QString& key, int max, QString& out) const;
    // The same in a named column, whatever the language in use.
    bool LookupTextIn(const QString& column, const QString& key, int max, QString& out) const;

    // The window convention: fills the texts in order; on the first failure
    // shows "Problemi col database multilingua (Codice N)." and stops.
    bool FillTexts(int errorCode, const std::vector<TextSlot>& texts);
    // Fills the texts in order without reporting; returns the index of the
    // slot that failed, or -1 when all were filled.
    int FillSlots(const std::vector<TextSlot>& texts) const;

    // The table is held in memory; opening and closing only mark the span in
    // which a window fills its texts.
    void OpenTable() { m_tableOpen = true; }
    void CloseTable() { m_tableOpen = false; }
    bool TableOpen() const { return m_tableOpen; }

    // Language column names in table order (the first column excluded).
    QStringList Languages() const;
    QString CodePageName() const { return m_codePage; }

    // One radio item per language, named after its column.
    QMenu* PopupMenuLingue = nullptr;
    bool DictionaryReady = false;
    QString CurrentLanguage;

    static QString FailureMessage(int errorCode);

private:
    struct Row {
        QString key;
        QStringList values;   // one per column after the key column
    };
    int ColumnOf(const QString& column) const;
    void BuildMenu();
    void ClearMenu();

    QStringList m_columns;    // every column, key column first
    std::vector<Row> m_rows;
    QString m_codePage;
    bool m_tableOpen = false;
    std::unique_ptr<QMenu> m_menu;
    QActionGroup* m_group = nullptr;
};

// The Qt codec name for a dBase code page mark: "LDID/87" (language driver
// byte) or the text of a .cpg file. Windows-1252 when the mark is empty or
// unknown.
QString CodecForDbfCodePage(const QString& mark);

// A caption without its first "&": the text before it joined to the text
// after it; a caption without "&" unchanged.
QString WithoutFirstAmpersand(const QString& caption);

}  // namespace lumex::app
