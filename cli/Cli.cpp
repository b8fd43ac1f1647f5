#include "Cli.h"

#include "Commands.h"
#include "LinkFactory.h"
#include "NumberText.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace lumex::cli {
namespace {

struct Command {
    std::string_view name;
    int (*run)(const Invocation&);
    std::string_view usage;
    std::string_view help;
};

constexpr std::array<Command, 10> kCommands = {{
    {"new", CmdNew, "new FILE",
     "Writes a configuration file holding the factory defaults, exactly as the\n"
     "program saves them while no ECU is connected.\n"},
    {"get", CmdGet, "get FILE PARAM...",
     "Loads FILE and prints one line per PARAM: the value in user units.\n"
     "PARAM is INDEX or NAME (a parameter, e.g. 56 or ChangeoverRpm) or\n"
     "INDEX:ELEMENT (an element of a table, e.g. 60:2). Indices without a value\n"
     "print 800000. A file that does not load prints \"FILE:LINE: reason\" on\n"
     "stderr and nothing on stdout.\n"},
    {"set", CmdSet, "set FILE PARAM VALUE",
     "Loads FILE, writes VALUE (user units; negative numbers need no \"--\")\n"
     "into the parameter or element PARAM as the program would with an ECU that\n"
     "accepts every write, and prints two lines: the write's result (1 stored,\n"
     "0 not taken, -1 bad index) and the raw words behind PARAM after the write\n"
     "(for a bit view the word holding it; empty when there is none). Then\n"
     "saves FILE. A result other than 1 changes no parameter (a note says so).\n"},
    {"show", CmdShow, "show FILE [--json]",
     "Prints every parameter that has storage or is a view on another one:\n"
     "index, name, raw words and value with its unit (ms, s, V, rpm, °C) or\n"
     "list text. --json prints the same as one JSON object.\n"},
    {"diff", CmdDiff, "diff A B [--json]",
     "Prints the parameters in which two files differ, in user units with\n"
     "their raw words, or \"no differences\". Exits 0 in both cases; 1 only\n"
     "when a file does not load.\n"},
    {"validate", CmdValidate, "validate FILE",
     "Checks that FILE loads: prints \"FILE: ok\", or \"FILE:LINE: reason\" on\n"
     "stderr and exits 1.\n"},
    {"ident", CmdIdent, "--port PORT ident",
     "Connects and prints the ECU's identification: \"family model options\n"
     "firmware\" and a readable line.\n"},
    {"read", CmdRead, "--port PORT read -o FILE",
     "Connects, reads the ECU's whole configuration (with a progress bar on a\n"
     "terminal) and saves it to FILE.\n"},
    {"write", CmdWrite, "--port PORT write FILE",
     "Connects, loads FILE and sends the whole configuration to the ECU, then\n"
     "tells how many writes the ECU refused. Exits 1 when any was refused or\n"
     "the file does not load (then nothing is sent).\n"},
    {"monitor", CmdMonitor, "--port PORT monitor [--once | --count N]",
     "Connects and shows the live values ten times a second until Ctrl+C:\n"
     "engine speed, lambda and TPS voltage, TPS zone, actuator position and\n"
     "flags, engine temperature, gas level, petrol or gas. On a terminal one\n"
     "line is redrawn; otherwise a line per sample. --once prints one sample,\n"
     "--count N prints N.\n"},
}};

const Command* FindCommand(std::string_view name)
{
    for (const Command& command : kCommands)
        if (command.name == name) return &command;
    return nullptr;
}

void PrintUsage(std::FILE* out)
{
    std::string text =
        "usage: lumexctl [--port PORT] COMMAND [ARGS]\n"
        "       lumexctl COMMAND --help\n\n"
        "Reads, checks and edits Lumex configuration files and talks to an ECU.\n\n"
        "commands:\n";
    for (const Command& command : kCommands) text += "  lumexctl " + std::string(command.usage) + "\n";
    text += "\n--port PORT (or the LUMEX_PORT environment variable) selects the ECU's\n"
            "port for ident, read, write and monitor; known ports: " + KnownPorts() + ".\n"
            "Numbers are always printed with '.' as decimal point. Exit status: 0 on\n"
            "success, 1 on any failure (usage errors included).\n";
    std::fputs(text.c_str(), out);
}

void PrintCommandHelp(const Command& command)
{
    const std::string text = "usage: lumexctl " + std::string(command.usage) + "\n\n" +
                             std::string(command.help);
    std::fputs(text.c_str(), stdout);
}

bool AsksForHelp(const std::vector<std::string>& args)
{
    for (const std::string& arg : args) {
        if (arg == "--") return false;
        if (arg == "--help" || arg == "-h") return true;
    }
    return false;
}

}  // namespace

int Run(int argc, char** argv)
{
    std::vector<std::string> words(argv + 1, argv + argc);
    Invocation inv;
    if (const char* env = std::getenv("LUMEX_PORT")) inv.port = env;

    // Global options come before the command.
    std::size_t i = 0;
    for (; i < words.size() && words[i].starts_with("-"); ++i) {
        const std::string& word = words[i];
        if (word == "--help" || word == "-h") {
            PrintUsage(stdout);
            return kExitOk;
        }
        if (word == "--port" && i + 1 < words.size()) {
            inv.port = words[++i];
        } else if (word.starts_with("--port=")) {
            inv.port = word.substr(7);
        } else {
            PrintError("lumexctl: unknown or incomplete option " + word);
            PrintUsage(stderr);
            return kExitFail;
        }
    }
    if (i == words.size()) {
        PrintUsage(stderr);
        return kExitFail;
    }
    inv.command = words[i];
    inv.args.assign(words.begin() + static_cast<std::ptrdiff_t>(i) + 1, words.end());

    if (inv.command == "help") {
        const Command* topic = inv.args.empty() ? nullptr : FindCommand(inv.args[0]);
        if (topic) PrintCommandHelp(*topic); else PrintUsage(stdout);
        return kExitOk;
    }
    const Command* command = FindCommand(inv.command);
    if (command == nullptr) {
        PrintError("lumexctl: unknown command \"" + inv.command + "\"");
        PrintUsage(stderr);
        return kExitFail;
    }
    if (AsksForHelp(inv.args)) {
        PrintCommandHelp(*command);
        return kExitOk;
    }
    return command->run(inv);
}

bool ParsedArgs::Has(const std::string& option) const
{
    for (const auto& o : options)
        if (o == option) return true;
    return false;
}

std::optional<std::string> ParsedArgs::ValueOf(const std::string& option) const
{
    for (std::size_t i = 0; i < options.size(); ++i)
        if (options[i] == option) return optionValues[i];
    return std::nullopt;
}

ParsedArgs ParseArgs(const std::vector<std::string>& args,
                     const std::vector<std::string>& withValue)
{
    const auto takesValue = [&withValue](const std::string& name) {
        for (const auto& w : withValue)
            if (w == name) return true;
        return false;
    };
    ParsedArgs parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool looksLikeOption = arg.size() > 1 && arg[0] == '-' && !ParseNumber(arg);
        if (optionsEnded || !looksLikeOption) {
            parsed.positionals.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = arg;
        std::string value;
        if (const auto eq = arg.find('='); eq != std::string::npos && arg.starts_with("--")) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
        } else if (takesValue(name)) {
            // A missing value is reported by the command as an empty one.
            if (i + 1 < args.size()) value = args[++i];
        }
        parsed.options.push_back(name);
        parsed.optionValues.push_back(value);
    }
    return parsed;
}

int Fail(const std::string& command, const std::string& message)
{
    PrintError("lumexctl: " + command + ": " + message);
    return kExitFail;
}

void Print(const std::string& line)
{
    std::fputs((line + "\n").c_str(), stdout);
}

void PrintError(const std::string& line)
{
    std::fputs((line + "\n").c_str(), stderr);
}

}  // namespace lumex::cli
