#pragma once
// How lumexctl presents one parameter of a record: its raw words and its
// value in user units with unit and list text. Used by show, diff and set.
// Reads go through ConfCar's own accessors so that what the tool prints is
// exactly what the program's windows would show. Single-threaded, like the
// record.

#include "ConfCar.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lumex::cli {

struct ParamReport {
    ParamIndex index = 0;
    std::string name;
    // The parameter's own words, or for a bit view the word that holds it.
    std::vector<std::int32_t> raw;
    bool rawIsHolder = false;
    // One value per element (one for single-value parameters).
    std::vector<double> values;
    bool multiValue = false;
    std::string unit;   // "ms", "s", "V", "rpm", "°C" or empty
    std::string text;   // list or choice text of the value, empty if none
};

// Indices that have storage or are a view on another parameter's word:
// exactly those show and diff report.
bool IsReported(ParamIndex index);
std::vector<ParamIndex> ReportedIndices();

// The raw words held by the storage behind an index: its own words (all
// elements), the holding word for a bit view, nothing otherwise.
std::vector<std::int32_t> WordsBehind(const ConfCar& car, ParamIndex index);

ParamReport Describe(ConfCar& car, ParamIndex index);

// "2000 rpm", "6 biBobina", "0 2 3.5 V", "1 debole".
std::string ValueText(const ParamReport& report);
// "60", "0 102 178".
std::string RawText(const std::vector<std::int32_t>& words);

}  // namespace lumex::cli
