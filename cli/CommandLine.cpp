#include "CommandLine.h"

namespace tarvine::cli {

const char* const usage = R"(Usage: tarvine-cli [OPTIONS] [FILE]

Evaluates a Tarvine document exactly as the app does and prints every line
with its results. Reads FILE, or standard input when FILE is "-" or absent.

Options:
  --json         print {"results": [one text per line], "error": "..."}
  --ast          print the parsed document as prefix syntax trees
  --trace-lexer  print the lexer's trace while lexing
  --help         show this help
  --version      show the engine's version

Exit status: 0 on success, 1 when the document has errors,
2 when the command line or the input cannot be used.
)";

ParsedCommandLine parseCommandLine(const std::vector<std::string>& arguments)
{
    CommandLine commandLine;
    bool modeChosen = false;
    bool onlyFilesFollow = false;
    auto chooseMode = [&](OutputMode mode) {
        if (modeChosen && commandLine.mode != mode)
            return false;
        commandLine.mode = mode;
        modeChosen = true;
        return true;
    };

    for (const auto& argument : arguments) {
        const bool isOption = !onlyFilesFollow && argument.size() > 1 && argument[0] == '-';
        if (!isOption) {
            if (commandLine.file)
                return {std::nullopt, "more than one input file: '" + *commandLine.file + "' and '" + argument + "'"};
            commandLine.file = argument;
        } else if (argument == "--") {
            onlyFilesFollow = true;
        } else if (argument == "--json") {
            if (!chooseMode(OutputMode::json))
                return {std::nullopt, "--json and --ast cannot be combined"};
        } else if (argument == "--ast") {
            if (!chooseMode(OutputMode::ast))
                return {std::nullopt, "--json and --ast cannot be combined"};
        } else if (argument == "--trace-lexer") {
            commandLine.traceLexer = true;
        } else if (argument == "--help" || argument == "-h") {
            commandLine.help = true;
        } else if (argument == "--version") {
            commandLine.version = true;
        } else {
            return {std::nullopt, "unknown option '" + argument + "' (try --help)"};
        }
    }
    if (commandLine.file == "-")
        commandLine.file.reset();
    return {commandLine, {}};
}

} // namespace tarvine::cli
