#pragma once
// The customer-code rule: an entry made of the access prefix followed by
// exactly three characters that form an integer yields that integer, which
// the caller writes to the ECU; anything else yields nothing. The prefix is
// kept scrambled in the program and rebuilt for each comparison, so it does
// not show up in the binary's strings. Pure functions, any thread.

#include <QString>

#include <optional>

namespace lumex::app {

QString AccessPrefix();
std::optional<int> CustomerCodeFromEntry(const QString& entry);

}  // namespace lumex::app
