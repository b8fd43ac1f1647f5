// new, get, set, show, diff, validate: configuration files without an ECU.
#include "Commands.h"

#include "ConfCar.h"
#include "Json.h"
#include "NumberText.h"
#include "OfflineLink.h"
#include "ParamView.h"

#include <cmath>
#include <cstdio>
#include <memory>

namespace lumex::cli {
namespace {

// A record attached to a link that has no ECU behind it. Writes are
// accepted only where the command edits the file (set): elsewhere the
// strict loader's WriteAll has nowhere to go anyway.
struct OfflineRecord {
    explicit OfflineRecord(const std::string& path,
                           OfflineLink::Writes writes = OfflineLink::Writes::RefuseAll)
        : link(writes), car(path)
    {
        car.AttachLink(&link);
    }
    OfflineLink link;
    ConfCar car;
};

// Loads path strictly; on refusal prints "FILE:LINE: reason" on stderr.
std::unique_ptr<OfflineRecord> LoadStrict(
    const std::string& path, OfflineLink::Writes writes = OfflineLink::Writes::RefuseAll)
{
    auto record = std::make_unique<OfflineRecord>(path, writes);
    const FileStatus status = record->car.LoadFile();
    if (!status.ok) {
        PrintError(status.Describe(path));
        return nullptr;
    }
    return record;
}

// INDEX, NAME, INDEX:ELEMENT or NAME:ELEMENT.
struct ParamRef {
    ParamIndex index = 0;
    std::optional<int> element;
};

std::optional<ParamIndex> ParseIndex(const std::string& text)
{
    if (const auto number = ParseInt(text)) return *number;
    const ParamIndex byName = IndexOfName(text);
    if (byName >= 0) return byName;
    return std::nullopt;
}

std::optional<ParamRef> ParseRef(const std::string& text)
{
    ParamRef ref;
    const auto colon = text.find(':');
    const auto index = ParseIndex(text.substr(0, colon));
    if (!index) return std::nullopt;
    ref.index = *index;
    if (colon != std::string::npos) {
        ref.element = ParseInt(std::string_view(text).substr(colon + 1));
        if (!ref.element) return std::nullopt;
    }
    return ref;
}

double ReadRef(ConfCar& car, const ParamRef& ref)
{
    return ref.element ? car.ReadItem(ref.index, *ref.element) : car.ReadValue(ref.index);
}

int WriteRef(ConfCar& car, const ParamRef& ref, double value)
{
    if (ref.element) return car.WriteItem(ref.index, *ref.element, value) == 1.0 ? 1 : 0;
    return car.WriteValue(ref.index, value);
}

// Indices 0..72 travel in the file; the others live only in the ECU.
bool KeptInFile(ParamIndex index)
{
    return index >= 0 && index < kFileParamCount && index != CustomerCode;
}

std::string ParamName(ParamIndex index)
{
    const auto entry = CatalogueEntry(index);
    if (entry && !entry->name.empty()) return std::string(entry->name);
    return "index " + FormatInt(index);
}

// Saves the record to its own file name; prints the failure.
bool Save(ConfCar& car, const std::string& path)
{
    const FileStatus status = car.SaveFile();
    if (!status.ok) PrintError(status.Describe(path));
    return status.ok;
}

std::string JsonWords(const std::vector<std::int32_t>& words)
{
    std::string text = "[";
    for (std::size_t i = 0; i < words.size(); ++i)
        text += (i ? "," : "") + FormatInt(words[i]);
    return text + "]";
}

std::string JsonValue(const ParamReport& report)
{
    if (!report.multiValue) return JsonNumber(report.values.front());
    std::string text = "[";
    for (std::size_t i = 0; i < report.values.size(); ++i)
        text += (i ? "," : "") + JsonNumber(report.values[i]);
    return text + "]";
}

std::string HolderName(const ParamReport& report)
{
    if (!report.rawIsHolder) return "";
    const bool decel = report.index == DecelBandWidth || report.index == DecelExitTime;
    return decel ? "DecelSettings" : "OptionFlags";
}

// One parameter as a JSON object, without the surrounding file data.
std::string JsonParam(const ParamReport& report)
{
    std::string text = "{\"index\":" + FormatInt(report.index);
    text += ",\"name\":" + JsonString(report.name);
    text += ",\"raw\":" + JsonWords(report.raw);
    if (report.rawIsHolder) text += ",\"holder\":" + JsonString(HolderName(report));
    text += ",\"value\":" + JsonValue(report);
    text += ",\"unit\":" + JsonString(report.unit);
    if (!report.text.empty()) text += ",\"text\":" + JsonString(report.text);
    return text + "}";
}

std::string RawColumn(const ParamReport& report)
{
    std::string raw = RawText(report.raw);
    if (report.rawIsHolder) raw += " (in " + HolderName(report) + ")";
    return raw;
}

std::string PadRight(std::string text, std::size_t width)
{
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

std::string ShowLine(const ParamReport& report)
{
    std::string index = FormatInt(report.index);
    std::string line = std::string(3 - std::min<std::size_t>(3, index.size()), ' ') + index;
    line += "  " + PadRight(report.name, 20);
    line += "  raw " + PadRight(RawColumn(report), 22);
    line += "  " + ValueText(report);
    return line;
}

// Two records differ at an index when its own words differ or, for a bit
// view, when the bit differs (its holder's other bits are the holder's own
// difference).
bool Differs(const ParamReport& a, const ParamReport& b)
{
    if (a.rawIsHolder) return a.values != b.values;
    return a.raw != b.raw;
}

std::string DiffLine(const ParamReport& a, const ParamReport& b)
{
    std::string line = FormatInt(a.index) + " " + a.name + ": " + ValueText(a) + " -> " +
                       ValueText(b);
    if (!a.rawIsHolder) line += " (raw " + RawText(a.raw) + " -> " + RawText(b.raw) + ")";
    return line;
}

}  // namespace

int CmdNew(const Invocation& inv)
{
    const ParsedArgs args = ParseArgs(inv.args);
    if (!args.options.empty()) return Fail(inv.command, "unknown option " + args.options[0]);
    if (args.positionals.size() != 1) return Fail(inv.command, "expects one FILE");
    const std::string& path = args.positionals[0];
    // A fresh record holds the defaults; with no ECU connected and the
    // reduced-model mark clear, SaveFile writes the standard identification.
    OfflineRecord record(path);
    record.car.ResetDefaults();
    record.car.ReducedModel = false;
    return Save(record.car, path) ? kExitOk : kExitFail;
}

int CmdGet(const Invocation& inv)
{
    const ParsedArgs args = ParseArgs(inv.args);
    if (!args.options.empty()) return Fail(inv.command, "unknown option " + args.options[0]);
    if (args.positionals.size() < 2) return Fail(inv.command, "expects FILE and at least one PARAM");

    std::vector<ParamRef> refs;
    for (std::size_t i = 1; i < args.positionals.size(); ++i) {
        const auto ref = ParseRef(args.positionals[i]);
        if (!ref) return Fail(inv.command, "bad PARAM \"" + args.positionals[i] +
                                                "\" (INDEX, NAME, INDEX:ELEMENT or NAME:ELEMENT)");
        refs.push_back(*ref);
    }
    auto record = LoadStrict(args.positionals[0]);
    if (!record) return kExitFail;

    std::string out;
    for (const ParamRef& ref : refs) out += FormatNumber(ReadRef(record->car, ref)) + "\n";
    std::fputs(out.c_str(), stdout);
    return kExitOk;
}

int CmdSet(const Invocation& inv)
{
    const ParsedArgs args = ParseArgs(inv.args);
    if (!args.options.empty()) return Fail(inv.command, "unknown option " + args.options[0]);
    if (args.positionals.size() != 3) return Fail(inv.command, "expects FILE PARAM VALUE");
    const std::string& path = args.positionals[0];
    const auto ref = ParseRef(args.positionals[1]);
    if (!ref) return Fail(inv.command, "bad PARAM \"" + args.positionals[1] + "\"");
    const auto value = ParseNumber(args.positionals[2]);
    if (!value || !std::isfinite(*value))
        return Fail(inv.command, "VALUE \"" + args.positionals[2] + "\" is not a finite number");

    auto record = LoadStrict(path, OfflineLink::Writes::AcceptAll);
    if (!record) return kExitFail;
    const int result = WriteRef(record->car, *ref, *value);
    Print(FormatInt(result));
    Print(RawText(WordsBehind(record->car, ref->index)));
    // The result line is the answer scripts read; a value the record did not
    // take changes no word, so the file is rewritten with what it held.
    if (result != 1)
        PrintError("lumexctl: set: note: the record did not take the value (result " +
                   FormatInt(result) + "); no parameter changed");
    if (!Save(record->car, path)) return kExitFail;
    if (!KeptInFile(ref->index))
        PrintError("lumexctl: set: note: " + ParamName(ref->index) +
                   " is not kept in configuration files; " + path + " does not hold it");
    return kExitOk;
}

int CmdShow(const Invocation& inv)
{
    const ParsedArgs args = ParseArgs(inv.args);
    for (const auto& option : args.options)
        if (option != "--json") return Fail(inv.command, "unknown option " + option);
    if (args.positionals.size() != 1) return Fail(inv.command, "expects one FILE");
    const std::string& path = args.positionals[0];
    auto record = LoadStrict(path);
    if (!record) return kExitFail;

    std::string out;
    if (args.Has("--json")) {
        out = "{\"file\":" + JsonString(path) + ",\"parameters\":[";
        bool first = true;
        for (const ParamIndex index : ReportedIndices()) {
            out += (first ? "\n" : ",\n") + JsonParam(Describe(record->car, index));
            first = false;
        }
        out += "\n]}\n";
    } else {
        for (const ParamIndex index : ReportedIndices())
            out += ShowLine(Describe(record->car, index)) + "\n";
    }
    std::fputs(out.c_str(), stdout);
    return kExitOk;
}

int CmdDiff(const Invocation& inv)
{
    const ParsedArgs args = ParseArgs(inv.args);
    for (const auto& option : args.options)
        if (option != "--json") return Fail(inv.command, "unknown option " + option);
    if (args.positionals.size() != 2) return Fail(inv.command, "expects two files A B");
    const std::string& pathA = args.positionals[0];
    const std::string& pathB = args.positionals[1];
    auto a = LoadStrict(pathA);
    if (!a) return kExitFail;
    auto b = LoadStrict(pathB);
    if (!b) return kExitFail;

    std::vector<std::pair<ParamReport, ParamReport>> differences;
    for (const ParamIndex index : ReportedIndices()) {
        ParamReport ra = Describe(a->car, index);
        ParamReport rb = Describe(b->car, index);
        if (Differs(ra, rb)) differences.emplace_back(std::move(ra), std::move(rb));
    }

    std::string out;
    if (args.Has("--json")) {
        out = "{\"a\":" + JsonString(pathA) + ",\"b\":" + JsonString(pathB) +
              ",\"differences\":[";
        for (std::size_t i = 0; i < differences.size(); ++i)
            out += std::string(i ? "," : "") + "\n{\"a\":" + JsonParam(differences[i].first) +
                   ",\"b\":" + JsonParam(differences[i].second) + "}";
        out += "\n]}\n";
    } else if (differences.empty()) {
        out = "no differences\n";
    } else {
        for (const auto& [ra, rb] : differences) out += DiffLine(ra, rb) + "\n";
    }
    std::fputs(out.c_str(), stdout);
    return kExitOk;
}

int CmdValidate(const Invocation& inv)
{
    const ParsedArgs args = ParseArgs(inv.args);
    if (!args.options.empty()) return Fail(inv.command, "unknown option " + args.options[0]);
    if (args.positionals.size() != 1) return Fail(inv.command, "expects one FILE");
    const std::string& path = args.positionals[0];
    if (!LoadStrict(path)) return kExitFail;
    Print(path + ": ok");
    return kExitOk;
}

}  // namespace lumex::cli
