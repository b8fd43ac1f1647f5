#include "TModuloLingua.h"

#include "AppGlobals.h"
#include "Seams.h"

#include <QActionGroup>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QRegularExpression>
#include <QStringDecoder>

#include <shapefil.h>

#include <map>

namespace lumex::app {

namespace {

// Language-driver bytes of dBase headers and the Windows code pages they name.
const std::map<int, int>& LanguageDriverCodePages() {
    static const std::map<int, int> table{
        {0x01, 437},  {0x02, 850},  {0x03, 1252}, {0x57, 1252}, {0x58, 1252},
        {0x59, 1252}, {0x64, 852},  {0x65, 866},  {0x66, 865},  {0x13, 932},
        {0x4D, 936},  {0x4E, 949},  {0x4F, 950},  {0x50, 874},  {0x7D, 1255},
        {0x7E, 1256}, {0xC8, 1250}, {0xC9, 1251}, {0xCA, 1254}, {0xCB, 1253},
        {0xCC, 1257},
    };
    return table;
}

QString CodecForCodePageNumber(int number) {
    if (number >= 1250 && number <= 1258)
        return QStringLiteral("windows-%1").arg(number);
    switch (number) {
    case 437: case 850: case 852: case 865: case 866:
        return QStringLiteral("IBM%1").arg(number);
    case 874: return QStringLiteral("windows-874");
    case 932: return QStringLiteral("Shift_JIS");
    case 936: return QStringLiteral("GBK");
    case 949: return QStringLiteral("EUC-KR");
    case 950: return QStringLiteral("Big5");
    case 65001: return QStringLiteral("UTF-8");
    default: return {};
    }
}

const QString kDefaultCodec = QStringLiteral("windows-1252");

bool UsableCodec(const QString& name) {
    return !name.isEmpty() && QStringDecoder(name.toLatin1().constData()).isValid();
}

QString FieldName(DBFHandle handle, int field) {
    char name[XBASE_FLDNAME_LEN_READ + 1] = {};
    DBFGetFieldInfo(handle, field, name, nullptr, nullptr);
    return QString::fromLatin1(name);
}

}  // namespace

QString CodecForDbfCodePage(const QString& mark) {
    const QString text = mark.trimmed();
    if (text.startsWith(QLatin1String("LDID/"), Qt::CaseInsensitive)) {
        bool ok = false;
        const int driver = text.mid(5).toInt(&ok);
        const auto& table = LanguageDriverCodePages();
        const auto found = table.find(driver);
        if (!ok || found == table.end())
            return kDefaultCodec;
        const QString codec = CodecForCodePageNumber(found->second);
        return UsableCodec(codec) ? codec : kDefaultCodec;
    }
    if (text.isEmpty())
        return kDefaultCodec;
    // A .cpg holds a bare number ("1252"), a prefixed one ("CP1252",
    // "ANSI 1252") or a codec name ("UTF-8").
    QString digits = text;
    digits.remove(QRegularExpression(QStringLiteral("^(CP|ANSI|WINDOWS-?)\\s*"),
                                     QRegularExpression::CaseInsensitiveOption));
    bool ok = false;
    const int number = digits.toInt(&ok);
    const QString codec = ok ? CodecForCodePageNumber(number) : text;
    return UsableCodec(codec) ? codec : kDefaultCodec;
}

QString WithoutFirstAmpersand(const QString& caption) {
    QString text = caption;
    const auto at = text.indexOf(QLatin1Char('&'));
    if (at >= 0)
        text.remove(at, 1);
    return text;
}

TModuloLingua::TModuloLingua(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("ModuloLingua"));
}

TModuloLingua::~TModuloLingua() = default;

QString TModuloLingua::FailureMessage(int errorCode) {
    return QStringLiteral("Problemi col database multilingua (Codice %1).").arg(errorCode);
}

bool TModuloLingua::OpenDictionary(const QString& folder, const QString& fileName,
                                   QString* error) {
    auto fail = [error](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    CloseTable();
    m_columns.clear();
    m_rows.clear();
    ClearMenu();

    const QString path = QDir(folder).filePath(fileName);
    DBFHandle handle = DBFOpen(QFile::encodeName(path).constData(), "rb");
    if (!handle)
        return fail(QStringLiteral("cannot open %1").arg(path));
    const int fields = DBFGetFieldCount(handle);
    if (fields < 1) {
        DBFClose(handle);
        return fail(QStringLiteral("%1 has no columns").arg(path));
    }
    const char* mark = DBFGetCodePage(handle);
    m_codePage = CodecForDbfCodePage(mark ? QString::fromLatin1(mark) : QString());
    QStringDecoder decode(m_codePage.toLatin1().constData());

    for (int field = 0; field < fields; ++field)
        m_columns.push_back(FieldName(handle, field));
    const int records = DBFGetRecordCount(handle);
    m_rows.reserve(size_t(std::max(records, 0)));
    for (int record = 0; record < records; ++record) {
        if (DBFIsRecordDeleted(handle, record))
            continue;
        Row row;
        for (int field = 0; field < fields; ++field) {
            // The reader hands out a buffer it reuses: decode at once.
            const char* raw = DBFReadStringAttribute(handle, record, field);
            QString text = raw ? decode(QByteArray(raw)) : QString();
            if (field == 0)
                row.key = text;
            else
                row.values.push_back(text);
        }
        m_rows.push_back(std::move(row));
    }
    DBFClose(handle);

    for (const QString& language : Languages()) {
        QString name;
        if (!LookupTextIn(language, QStringLiteral("MenuLingua"), 12, name))
            return fail(QStringLiteral("no \"MenuLingua\" text for %1").arg(language));
    }
    BuildMenu();
    CloseTable();
    return true;
}

QStringList TModuloLingua::Languages() const { return m_columns.mid(1); }

int TModuloLingua::ColumnOf(const QString& column) const {
    if (column.isEmpty())
        return -1;
    const auto at = m_columns.indexOf(column);
    return at >= 1 ? int(at) - 1 : -1;
}

bool TModuloLingua::LookupTextIn(const QString& column, const QString& key, int max,
                                 QString& out) const {
    const int value = ColumnOf(column);
    if (value < 0)
        return false;
    for (const Row& row : m_rows) {
        if (row.key != key)
            continue;
        // Only the first row with the key counts, even when it is empty.
        const QString& text = row.values.at(value);
        if (text.isEmpty())
            return false;
        out = text.left(max);
        return true;
    }
    return false;
}

bool TModuloLingua::LookupText(const QString& key, int max, QString& out) const {
    return LookupTextIn(CurrentLanguage, key, max, out);
}

int TModuloLingua::FillSlots(const std::vector<TextSlot>& texts) const {
    for (size_t i = 0; i < texts.size(); ++i) {
        QString text;
        if (!LookupText(texts[i].key, texts[i].max, text))
            return int(i);
        if (texts[i].set)
            texts[i].set(text);
    }
    return -1;
}

bool TModuloLingua::FillTexts(int errorCode, const std::vector<TextSlot>& texts) {
    OpenTable();
    const bool filled = FillSlots(texts) < 0;
    if (!filled)
        ShowMessage(nullptr, FailureMessage(errorCode), App().applicationTitle,
                    QMessageBox::Critical);
    CloseTable();
    return filled;
}

void TModuloLingua::ClearMenu() {
    if (!m_menu)
        m_menu = std::make_unique<QMenu>();
    m_menu->setObjectName(QStringLiteral("PopupMenuLingue"));
    m_menu->clear();
    delete m_group;
    m_group = new QActionGroup(m_menu.get());
    m_group->setExclusive(true);
    PopupMenuLingue = m_menu.get();
}

void TModuloLingua::BuildMenu() {
    ClearMenu();
    for (const QString& language : Languages()) {
        QString caption;
        LookupTextIn(language, QStringLiteral("MenuLingua"), 12, caption);
        auto* item = new QAction(caption, m_menu.get());
        item->setObjectName(language);
        item->setCheckable(true);
        m_group->addAction(item);
        m_menu->addAction(item);
    }
}

}  // namespace lumex::app
