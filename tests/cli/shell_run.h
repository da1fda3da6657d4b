#pragma once
// Runs a shell command line the way the CLI tests drive valmuri-cli.

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace valmuri::test {

struct CliRun {
    int status = -1;
    std::string output; // stdout and stderr
};

// Runs command through /bin/sh with stderr joined to stdout; the status is
// the exit code, or -1 when the command did not exit normally.
inline CliRun shell(const std::string& command)
{
    CliRun result;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return result;
    std::array<char, 512> chunk;
    while (std::size_t n = std::fread(chunk.data(), 1, chunk.size(), pipe))
        result.output.append(chunk.data(), n);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// A path in single quotes for the shell (test paths hold no quotes).
inline std::string sq(const std::filesystem::path& path)
{
    return "'" + path.string() + "'";
}

} // namespace valmuri::test
