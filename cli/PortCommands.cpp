// ident, read, write, monitor: commands that talk to an ECU through a port.
#include "Commands.h"

#include "ConfCar.h"
#include "CountingLink.h"
#include "LinkFactory.h"
#include "LiveSample.h"
#include "NumberText.h"
#include "ProgressBar.h"

#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

namespace lumex::cli {
namespace {

// Opens the port and connects; prints why not and returns an empty handle
// on failure.
LinkHandle Connect(const Invocation& inv)
{
    if (inv.port.empty()) {
        Fail(inv.command, "needs a port: give --port PORT (or set LUMEX_PORT); known: " +
                              KnownPorts());
        return {};
    }
    std::string error;
    LinkHandle link = OpenLink(inv.port, error);
    if (!link) {
        Fail(inv.command, error);
        return {};
    }
    if (!link->OpenPort()) {
        Fail(inv.command, "cannot open port " + inv.port);
        return {};
    }
    if (link->Connect() == 0) {
        Fail(inv.command, "no ECU answers on port " + inv.port);
        return {};
    }
    return link;
}

std::optional<EcuIdentBytes> ReadIdent(EcuLink& link)
{
    std::uint8_t bytes[4] = {};
    if (!link.ReadIdent(bytes)) return std::nullopt;
    return EcuIdentBytes{bytes[0], bytes[1], bytes[2], bytes[3]};
}

std::string DescribeIdent(const EcuIdentBytes& ident)
{
    std::string text = "family " + FormatInt(ident.family);
    text += ", model " + FormatInt(ident.model) +
            (ident.model == 2 ? " (reduced model)" : " (full model)");
    text += ", options " + FormatInt(ident.options) +
            ((ident.options & 1) ? " (original fuel-gauge output)" : " (no fuel-gauge output)");
    text += ", firmware " + FormatInt(ident.firmware);
    return text;
}

volatile std::sig_atomic_t g_interrupted = 0;

void OnInterrupt(int)
{
    g_interrupted = 1;
}

}  // namespace

int CmdIdent(const Invocation& inv)
{
    const ParsedArgs args = ParseArgs(inv.args);
    if (!args.options.empty()) return Fail(inv.command, "unknown option " + args.options[0]);
    if (!args.positionals.empty()) return Fail(inv.command, "takes no arguments");
    LinkHandle link = Connect(inv);
    if (!link) return kExitFail;
    const auto ident = ReadIdent(*link);
    if (!ident) return Fail(inv.command, "the ECU did not send its identification");
    Print(FormatInt(ident->family) + " " + FormatInt(ident->model) + " " +
          FormatInt(ident->options) + " " + FormatInt(ident->firmware));
    Print(DescribeIdent(*ident));
    return kExitOk;
}

int CmdRead(const Invocation& inv)
{
    const ParsedArgs args = ParseArgs(inv.args, {"-o", "--output"});
    for (const auto& option : args.options)
        if (option != "-o" && option != "--output")
            return Fail(inv.command, "unknown option " + option);
    auto path = args.ValueOf("-o");
    if (!path) path = args.ValueOf("--output");
    if (!path || path->empty() || !args.positionals.empty())
        return Fail(inv.command, "expects -o FILE");

    LinkHandle link = Connect(inv);
    if (!link) return kExitFail;
    CountingLink counting(*link);
    ConfCar car(*path);
    car.AttachLink(&counting);
    if (const auto ident = ReadIdent(*link)) car.ReducedModel = ident->model == 2;

    // The bar is only worth drawing for a person watching a terminal.
    ProgressBar bar(stderr);
    if (isatty(STDERR_FILENO)) car.AttachScreen(&bar);
    car.ReadAll();
    bar.Finish();

    // ReadAll leaves the factory defaults wherever a read failed; saved, such
    // a mix would pass for the car's configuration. Keep any old file instead.
    if (counting.FailedReads() != 0 || !link->IsConnected())
        return Fail(inv.command, FormatInt(counting.FailedReads()) +
                                     " parameter reads failed (" +
                                     (link->IsConnected() ? "the ECU did not answer them"
                                                          : "the connection was lost") +
                                     "); " + *path + " was not written");

    const FileStatus status = car.SaveFile();
    if (!status.ok) {
        PrintError(status.Describe(*path));
        return kExitFail;
    }
    Print("read the ECU's configuration into " + *path);
    return kExitOk;
}

int CmdWrite(const Invocation& inv)
{
    const ParsedArgs args = ParseArgs(inv.args);
    if (!args.options.empty()) return Fail(inv.command, "unknown option " + args.options[0]);
    if (args.positionals.size() != 1) return Fail(inv.command, "expects one FILE");
    const std::string& path = args.positionals[0];

    LinkHandle link = Connect(inv);
    if (!link) return kExitFail;
    CountingLink counting(*link);
    ConfCar car(path);
    car.AttachLink(&counting);
    // LoadFile sends the whole record to the ECU itself once the file is read.
    const FileStatus status = car.LoadFile();
    if (!status.ok) {
        PrintError(status.Describe(path));
        return kExitFail;
    }
    Print("wrote " + path + ": " + FormatInt(counting.Writes()) + " writes, " +
          FormatInt(counting.Refused()) + " refused by the ECU");
    if (!link->IsConnected())
        return Fail(inv.command, "the connection was lost: the ECU does not hold all of " + path);
    if (counting.Refused() != 0)
        return Fail(inv.command, FormatInt(counting.Refused()) +
                                     " writes were refused: the ECU does not hold all of " + path);
    return kExitOk;
}

int CmdMonitor(const Invocation& inv)
{
    const ParsedArgs args = ParseArgs(inv.args, {"--count"});
    for (const auto& option : args.options)
        if (option != "--once" && option != "--count")
            return Fail(inv.command, "unknown option " + option);
    if (!args.positionals.empty()) return Fail(inv.command, "takes no arguments");

    long long remaining = -1;  // until interrupted
    if (args.Has("--once")) remaining = 1;
    if (const auto count = args.ValueOf("--count")) {
        const auto n = ParseInt(*count);
        if (!n || *n < 1) return Fail(inv.command, "--count needs a whole number of at least 1");
        remaining = *n;
    }

    LinkHandle link = Connect(inv);
    if (!link) return kExitFail;

    g_interrupted = 0;
    auto previous = std::signal(SIGINT, OnInterrupt);
    const bool terminal = isatty(STDOUT_FILENO) != 0;
    auto next = std::chrono::steady_clock::now();
    int exitCode = kExitOk;
    while (remaining != 0 && !g_interrupted) {
        const auto sample = TakeSample(*link);
        if (!sample) {
            exitCode = Fail(inv.command, "the ECU did not send its live values");
            break;
        }
        // On a terminal one line is redrawn in place; into a pipe or file
        // every sample is a line of its own.
        const std::string line = FormatSample(*sample);
        std::fputs(terminal ? ("\r" + line + "\x1b[K").c_str() : (line + "\n").c_str(), stdout);
        std::fflush(stdout);
        if (remaining > 0) --remaining;
        if (remaining == 0) break;
        next += std::chrono::milliseconds(100);
        std::this_thread::sleep_until(next);
    }
    if (terminal) std::fputs("\n", stdout);
    std::signal(SIGINT, previous);
    return exitCode;
}

}  // namespace lumex::cli
