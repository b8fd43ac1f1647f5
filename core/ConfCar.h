#pragma once
// ConfCar: the program's one model of the ECU configuration. It stores raw
// ECU words only and converts on every access; every change goes to the ECU
// first and is stored only when the ECU accepted it. Failures are results,
// never exceptions. Used from the user-interface thread only.

#include "Catalogue.h"
#include "EcuLink.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace lumex {

// Outcome of SaveFile/LoadFile: ok, or the line (1-based, 0 when the file as a
// whole is at fault) and what is wrong with it.
struct FileStatus {
    bool ok = true;
    int line = 0;
    std::string reason;

    static FileStatus Ok() { return {}; }
    static FileStatus Fail(int line, std::string reason) { return {false, line, std::move(reason)}; }
    // "FILE:LINE: reason" (or "FILE: reason" when line is 0).
    std::string Describe(const std::string& fileName) const;
};

// The configuration file's path and nothing else.
class IoBaseData {
public:
    explicit IoBaseData(std::string fileName) : m_fileName(std::move(fileName)) {}
    virtual ~IoBaseData() = default;

    const std::string& FileName() const { return m_fileName; }
    void SetFileName(std::string path) { m_fileName = std::move(path); }

private:
    std::string m_fileName;
};

class ConfCar : public IoBaseData {
public:
    using Words = std::array<std::int32_t, kStorageWords>;

    explicit ConfCar(std::string fileName = "default.mrb");

    // The link every operation goes through, and the screen ReadAll reports its
    // progress to. Without a link every ECU call is refused (and reads leave
    // the words as they are); without a screen progress goes nowhere.
    void AttachLink(EcuLink* link) { m_link = link; }
    void AttachScreen(LinkScreen* screen) { m_screen = screen; }
    EcuLink* Link() const { return m_link; }

    bool ReducedModel = false;

    void ResetDefaults();
    // First storage word of an index, nullptr for indices without storage.
    std::int32_t* MemberOf(ParamIndex index);
    const std::int32_t* MemberOf(ParamIndex index) const;

    double ReadValue(ParamIndex index);
    int WriteValue(ParamIndex index, double value);
    double ReadItem(ParamIndex index, int element);
    double WriteItem(ParamIndex index, int element, double value);
    int ReadTable(ParamIndex index, std::int32_t out[6]);
    int WriteTable(ParamIndex index, const std::int32_t in[6]);

    bool TpsInverted() const;
    bool LevelSensorInverted() const;
    bool SensorTableActive() const;
    bool SetSensorTableEnable(bool on);

    void ReadAll();
    void WriteAll();

    // SaveFile never destroys the previous file: it writes a temporary file
    // beside it and renames it over the old one only when all went well.
    FileStatus SaveFile();
    // LoadFile reads the whole file into a scratch copy first; a file it
    // refuses leaves the record untouched and sends nothing to the ECU.
    FileStatus LoadFile();

    // The text SaveFile writes, for the current record.
    std::string FormatFile();

    // The index whose word a WriteValue of index changes: OptionFlags for
    // its bit views, DecelSettings for 70 and 71, else the index itself.
    static ParamIndex HoldingIndex(ParamIndex index);

    const Words& RawWords() const { return m_words; }
    Words& RawWords() { return m_words; }

private:
    std::optional<std::int32_t> RawForWrite(ParamIndex index, double value) const;
    EcuIdentBytes FileIdent();

    EcuLink* m_link = nullptr;
    LinkScreen* m_screen = nullptr;
    Words m_words{};
};

}  // namespace lumex
