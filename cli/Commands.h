#pragma once
// The commands of lumexctl and what they share: the parsed command line and
// the way options are told apart from values. Each command prints its
// results on stdout and its failures on stderr and returns the exit code
// (0 success, 1 failure of any kind, usage errors included). Main thread only.

#include <optional>
#include <string>
#include <vector>

namespace lumex::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFail = 1;

// What a command receives: the global port (from --port or LUMEX_PORT,
// empty when none) and the words after the command name.
struct Invocation {
    std::string command;
    std::string port;
    std::vector<std::string> args;
};

// The arguments of one command split into options and positionals. An
// argument that starts with '-' is an option unless it reads as a number
// ("-3" is a value); "--" ends the options.
struct ParsedArgs {
    std::vector<std::string> options;       // "--json", "-o"
    std::vector<std::string> positionals;
    std::vector<std::string> optionValues;  // parallel to options ("" if none)
    bool Has(const std::string& option) const;
    std::optional<std::string> ValueOf(const std::string& option) const;
};
// Options listed in withValue take the next argument (or "--opt=value").
ParsedArgs ParseArgs(const std::vector<std::string>& args,
                     const std::vector<std::string>& withValue = {});

// Writes "lumexctl: <command>: <message>" on stderr and returns kExitFail.
int Fail(const std::string& command, const std::string& message);
void Print(const std::string& line);       // the line and '\n' on stdout
void PrintError(const std::string& line);  // the line and '\n' on stderr

// File commands (no ECU involved).
int CmdNew(const Invocation& inv);
int CmdGet(const Invocation& inv);
int CmdSet(const Invocation& inv);
int CmdShow(const Invocation& inv);
int CmdDiff(const Invocation& inv);
int CmdValidate(const Invocation& inv);

// Port commands (need --port).
int CmdIdent(const Invocation& inv);
int CmdRead(const Invocation& inv);
int CmdWrite(const Invocation& inv);
int CmdMonitor(const Invocation& inv);

}  // namespace lumex::cli
