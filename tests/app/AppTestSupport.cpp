#include "AppTestSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringEncoder>

#include <shapefil.h>

namespace lumex::app::test {

bool WriteDictionary(const QString& path, const QStringList& languages,
                     const std::vector<DictRow>& rows, const char* codePage,
                     const char* encoding) {
    DBFHandle handle = DBFCreateEx(QFile::encodeName(path).constData(), codePage);
    if (!handle)
        return false;
    DBFAddField(handle, "IDENTIF", FTString, 30, 0);
    for (const QString& language : languages)
        DBFAddField(handle, language.toLatin1().constData(), FTString, 120, 0);
    QStringEncoder encode(encoding);
    int record = 0;
    for (const DictRow& row : rows) {
        DBFWriteStringAttribute(handle, record, 0, row.key.toLatin1().constData());
        for (int column = 0; column < row.values.size(); ++column) {
            const QByteArray bytes = encode(row.values.at(column));
            DBFWriteStringAttribute(handle, record, column + 1, bytes.constData());
        }
        ++record;
    }
    DBFClose(handle);
    return true;
}

QString TextOf(const QString& language, const QString& key) {
    return language.left(2) + QLatin1Char(':') + key;
}

std::vector<DictRow> MainWindowRows(const QStringList& languages) {
    std::vector<DictRow> rows;
    QStringList names;
    for (const QString& language : languages)
        names.push_back(language);
    rows.push_back({QStringLiteral("MenuLingua"), names});
    QStringList keys{QStringLiteral("LabelAvvio")};
    for (const TextKey& key : TFormMain::DictionaryKeys())
        keys.push_back(QLatin1String(key.key));
    for (const QString& key : keys) {
        QStringList values;
        for (const QString& language : languages)
            values.push_back(TextOf(language, key));
        rows.push_back({key, values});
    }
    return rows;
}

std::unique_ptr<QSettings> ScratchSettings(const QString& folder, bool filled, int language) {
    auto store = std::make_unique<QSettings>(folder + QStringLiteral("/settings.ini"),
                                             QSettings::IniFormat);
    if (filled) {
        store->setValue(QStringLiteral("MainPath"), folder);
        store->setValue(QStringLiteral("Language"), language);
        store->setValue(QStringLiteral("Stat1"), 0);
        store->sync();
    }
    return store;
}

void MainWindowTest::SetUp() {
    ASSERT_TRUE(folder.isValid());
    bool proceed = false;
    settings = std::make_unique<GlobalData>(ScratchSettings(folder.path()), folder.path(),
                                            folder.path(), proceed);
    ASSERT_TRUE(proceed);
    App().record = &record;
    App().settings = settings.get();
    App().link = &ecu;
    App().screen = &screen;
    record.AttachLink(&ecu);
    record.AttachScreen(&screen);
    ecu.SetScreen(&screen);
}

void MainWindowTest::TearDown() {
    form.reset();
    ecu.SetScreen(nullptr);
}

void MainWindowTest::WriteMainDictionary(const QStringList& languages) {
    ASSERT_TRUE(WriteDictionary(folder.filePath(QStringLiteral("DizionarioMrb.dbf")), languages,
                                MainWindowRows(languages)));
}

TFormMain& MainWindowTest::Start(const QStringList& arguments) {
    StartupOptions options;
    options.arguments = arguments;
    options.programFolder = folder.path();
    form = std::make_unique<TFormMain>(options);
    return *form;
}

void MainWindowTest::Idle() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace lumex::app::test
