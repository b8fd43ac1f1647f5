#pragma once
// Runs the built lumexctl in a shell with its output captured, inside a
// temporary folder that each test gets for its files.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace lumex::cli::test {

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteText(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string ShellQuote(const std::string& word)
{
    std::string quoted = "'";
    for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

inline std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/lumexctl-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::string Path(const std::string& name) const { return (m_dir / name).string(); }

    // env: assignments put before the program ("LC_ALL=de_DE.UTF-8").
    CliResult Run(const std::vector<std::string>& args, const std::string& env = "") const
    {
        std::string command = "env -u LUMEX_PORT " + env + " " + ShellQuote(LUMEXCTL_PATH);
        for (const auto& arg : args) command += " " + ShellQuote(arg);
        const auto out = m_dir / "stdout.txt";
        const auto err = m_dir / "stderr.txt";
        command += " >" + ShellQuote(out.string()) + " 2>" + ShellQuote(err.string()) +
                   " </dev/null";
        const int status = std::system(command.c_str());
        CliResult result;
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = ReadText(out);
        result.err = ReadText(err);
        return result;
    }

    // A new default file under the given name.
    std::string NewFile(const std::string& name) const
    {
        const std::string path = Path(name);
        const CliResult result = Run({"new", path});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return path;
    }

private:
    std::filesystem::path m_dir;
};

}  // namespace lumex::cli::test
