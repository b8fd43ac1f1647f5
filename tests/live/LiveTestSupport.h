#pragma once
// Shared set-up of the live window tests: a fresh application context with a
// record on a recording link, scripted message boxes, and a small dictionary
// table written to a temporary folder. User-interface thread only.

#include "AppGlobals.h"
#include "ConfCar.h"
#include "RecordingLink.h"
#include "Seams.h"
#include "TModuloLingua.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QWidget>

#include <shapefil.h>

#include <gtest/gtest.h>

#include <map>
#include <utility>
#include <vector>

namespace lumex::test {

using TextRows = std::vector<std::pair<QString, QString>>;

// The texts the two windows look up, in one Italian column.
inline TextRows LiveWindowTexts()
{
    return {
        {"MenuLingua", "Italiano"},
        {"LabelVisLambda", "Sonda"}, {"LabelVisTps", "Farfalla"}, {"LabelVisMinTps", "Min farf."},
        {"LabelVisCutoff", "TAGLIO"}, {"LabelVisGiri", "Giri"}, {"LabelVisAltri", "Altro"},
        {"LabelVisTemp", "Temp."}, {"LabelVisLivello", "Livello"}, {"LabelVisFunz", "Funz."},
        {"LabelVisAtt", "Motorino"}, {"LabelVisDefault", "Predef."}, {"LabelVisDef2", "DEF"},
        {"LabelVisPos", "Pos."}, {"LabelVisContaGiri", "giri x 1000"}, {"ButtonEsci", "&Fine"},
        {"FinestraVisualizza", "Valori in tempo reale"},
        {"LabelFunzBenzina", "BENZ"}, {"LabelFunzGas", "METANO"},
        {"UnitaVolt", "V"}, {"UnitaGiri", "giri"}, {"MessND", "N.D."},
        {"LabelAbilDiagnosi", "Controlli attivi"}, {"LabelStatoDiagnosi", "Esito"},
        {"ButtonReset", "&Azzera errori"}, {"LabelDLambdaGiusto", "Sonda ferma"},
        {"LabelDLambdaMagro", "Sonda magra"}, {"LabelDLambdaRicco", "Sonda ricca"},
        {"FinestraDiagnosi", "Diagnosi"}, {"LabelStatoErrore", "Guasto"},
        {"LabelStatoOk", "Nessuno"},
    };
}

inline TextRows Without(TextRows rows, const QString& key)
{
    std::erase_if(rows, [&key](const auto& row) { return row.first == key; });
    return rows;
}

// Writes rows as a dictionary table and opens it with "ITALIANO" in use.
class TestDictionary {
public:
    explicit TestDictionary(const TextRows& rows)
    {
        const QString path = m_dir.filePath(QStringLiteral("Diz.dbf"));
        DBFHandle dbf = DBFCreateEx(path.toLocal8Bit().constData(), "LDID/87");
        EXPECT_NE(dbf, nullptr);
        DBFAddField(dbf, "IDENTIF", FTString, 30, 0);
        DBFAddField(dbf, "ITALIANO", FTString, 80, 0);
        int record = 0;
        for (const auto& [key, text] : rows) {
            DBFWriteStringAttribute(dbf, record, 0, key.toLatin1().constData());
            DBFWriteStringAttribute(dbf, record, 1, text.toLatin1().constData());
            ++record;
        }
        DBFClose(dbf);
        QString error;
        EXPECT_TRUE(module.OpenDictionary(m_dir.path(), QStringLiteral("Diz.dbf"), &error))
            << error.toStdString();
        module.CurrentLanguage = QStringLiteral("ITALIANO");
    }

    app::TModuloLingua module;

private:
    QTemporaryDir m_dir;
};

// Record, link, dictionary and seams for one test.
class LiveWindowFixture : public ::testing::Test {
protected:
    void SetUp() override { Install(LiveWindowTexts()); }

    void Install(const TextRows& rows)
    {
        m_dictionary = std::make_unique<TestDictionary>(rows);
        record.AttachLink(&link);
        link.SetConnected(true);
        app::AppContext& context = m_context.context();
        context.record = &record;
        context.link = &link;
        context.dictionary = &m_dictionary->module;
    }

    void SetRaw(ParamIndex index, std::int32_t raw) { *record.MemberOf(index) = raw; }

    static unsigned EcuNumberOf(ParamIndex index) { return CodeEcuNumber(DescriptorOf(index)); }

    std::vector<QString> MessageTexts() const
    {
        std::vector<QString> texts;
        for (const auto& m : seams.Messages())
            texts.push_back(m.text);
        return texts;
    }

    template <class T = QLabel>
    static T* Child(QWidget& window, const char* name)
    {
        T* child = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    static QString Text(QWidget& window, const char* name) { return Child(window, name)->text(); }

    ConfCar record;
    RecordingLink link;
    app::ScopedSeams seams;

private:
    app::ScopedAppContext m_context;
    std::unique_ptr<TestDictionary> m_dictionary;
};

}  // namespace lumex::test
