#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tarvine::cli {

enum class OutputMode { people, json, ast };

struct CommandLine {
    OutputMode mode = OutputMode::people;
    bool traceLexer = false;
    bool help = false;
    bool version = false;
    // The document to read; standard input when absent or "-".
    std::optional<std::string> file;
};

// The parsed arguments (without the program name), or a one-line message
// saying what is wrong with them.
struct ParsedCommandLine {
    std::optional<CommandLine> commandLine;
    std::string error;
};

ParsedCommandLine parseCommandLine(const std::vector<std::string>& arguments);

extern const char* const usage;

} // namespace tarvine::cli
