#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Run {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs tarvine-cli with `arguments`, feeding `input` on standard input.
Run runCli(const std::vector<std::string>& arguments, const std::string& input = "")
{
    std::array<int, 2> in{}, out{}, err{};
    if (pipe(in.data()) != 0 || pipe(out.data()) != 0 || pipe(err.data()) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
        posix_spawn_file_actions_addclose(&actions, fd);

    std::vector<char*> argv{const_cast<char*>(TARVINE_CLI_PATH)};
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, TARVINE_CLI_PATH, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    Run run;
    if (spawned != 0)
        return run;

    std::size_t written = 0;
    if (input.empty())
        close(in[1]);
    std::array<pollfd, 3> fds{pollfd{out[0], POLLIN, 0}, pollfd{err[0], POLLIN, 0},
                              pollfd{input.empty() ? -1 : in[1], POLLOUT, 0}};
    int open = 2;
    while (open > 0) {
        poll(fds.data(), fds.size(), -1);
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP)))
                continue;
            char buffer[4096];
            const auto n = read(fds[i].fd, buffer, sizeof buffer);
            if (n <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            } else {
                (i == 0 ? run.out : run.err).append(buffer, static_cast<std::size_t>(n));
            }
        }
        if (fds[2].fd >= 0 && (fds[2].revents & (POLLOUT | POLLERR))) {
            const auto n = write(fds[2].fd, input.data() + written, input.size() - written);
            written += n > 0 ? static_cast<std::size_t>(n) : 0;
            if (n <= 0 || written == input.size()) {
                close(fds[2].fd);
                fds[2].fd = -1;
            }
        }
    }
    if (fds[2].fd >= 0)
        close(fds[2].fd);
    int status = 0;
    waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string temporaryFile(const std::string& name, const std::string& contents)
{
    const auto path = testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << contents;
    return path;
}

TEST(Cli, PrintsEveryLineWithItsResultsInOneColumn)
{
    const auto run = runCli({}, "x = 3 kg\nlonger_name = x * 2\n\n# note\n1; 2\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    // The longest line has 19 characters; results start two after it.
    EXPECT_EQ(run.out, "x = 3 kg" + std::string(11 + 2, ' ') + "# 3 kg\n"
                       "longer_name = x * 2" + std::string(2, ' ') + "# 6 kg\n"
                       "\n"
                       "# note\n"
                       "1; 2" + std::string(15 + 2, ' ') + "# 1, 2\n");
}

TEST(Cli, AlignsByCharactersNotBytes)
{
    const auto run = runCli({}, "\"\u00E9\u00E9\"\n\"ab\"\n");
    EXPECT_EQ(run.out, "\"\u00E9\u00E9\"  # \"\u00E9\u00E9\"\n\"ab\"  # \"ab\"\n");
}

TEST(Cli, JsonHasOneTextPerLineAndTheError)
{
    auto run = runCli({"--json"}, "\"back\\slash\"\n\"tab\there\"\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, R"({"results": ["\"back\\slash\"", "\"tab\there\"", ""], "error": ""})" "\n");

    run = runCli({"--json", "-"}, "function f = (key, value) { value }\n"
                                  "map_values(over: table_new(), using: f, returning: \"csv\")\na = 1\na = 2");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, R"({"results": [], "error": "map_value's 'returning' must be either \"table\" or \"lines\")"
                       R"(\ncannot re-bind a"})" "\n");
}

TEST(Cli, CrlfDocumentsGiveTheSameResultsAsLf)
{
    const std::string lf = "a = 2 m\nb = a * a\n\nb / 4\n";
    std::string crlf;
    for (char c : lf)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(runCli({"--json"}, crlf).out, runCli({"--json"}, lf).out);
    EXPECT_EQ(runCli({}, crlf).out, runCli({}, lf).out);
}

TEST(Cli, LexAndParseErrorsPointAtTheirPlace)
{
    auto run = runCli({}, "a = 1\nb === 2\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "<stdin>:2:3: Triple equals is invalid\nb === 2\n  \u2191\n");

    const auto file = temporaryFile("parse.calc", "x = (1 + 2\n");
    run = runCli({file});
    EXPECT_EQ(run.status, 1);
    // The error is at the line feed, one past the line's end: blanks, no arrow.
    EXPECT_EQ(run.err, file + ":1:11: Expected ')' but didn't find it.\nx = (1 + 2\n" + std::string(10, ' ') + "\n");
}

TEST(Cli, InterpreterErrorsAreTheirMessages)
{
    const auto run = runCli({}, "round = 1\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "<stdin>: cannot re-bind round\n");
}

TEST(Cli, AstPrintsThePrefixTrees)
{
    auto run = runCli({"--ast"}, "1 + 2 * 3\nf(a: 1)\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "(+ 1/1 (\u00D7 2/1 3/1))\n&f/1\n");
    run = runCli({"--ast"}, "");
    EXPECT_EQ(run.out, "no statements to print\n");
}

TEST(Cli, TraceLexerPrintsTheTrace)
{
    const auto run = runCli({"--trace-lexer", "--json"}, "1");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("\u2500\u2500\u2500"), std::string::npos);
    EXPECT_NE(run.out.find("\u2191"), std::string::npos);
    EXPECT_NE(run.out.find("{\"results\": [\"1\"]"), std::string::npos);
}

struct UnusableCase {
    const char* name;
    std::vector<std::string> arguments;
    std::string input;
    std::string message;
};

class CliUnusable : public testing::TestWithParam<UnusableCase> {};

TEST_P(CliUnusable, SaysWhatIsWrongOnOneLineAndExitsWith2)
{
    const auto run = runCli(GetParam().arguments, GetParam().input);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "tarvine-cli: " + GetParam().message + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, CliUnusable,
    testing::Values(UnusableCase{"unknownOption", {"--fast"}, "", "unknown option '--fast' (try --help)"},
                    UnusableCase{"missingFile", {"/nonexistent/doc.calc"}, "", "cannot read '/nonexistent/doc.calc'"},
                    UnusableCase{"invalidUtf8", {}, "1 + \xC3\x28", "the input is not valid UTF-8"},
                    UnusableCase{"twoModes", {"--json", "--ast"}, "", "--json and --ast cannot be combined"},
                    UnusableCase{"twoFiles", {"a.calc", "b.calc"}, "", "more than one input file: 'a.calc' and 'b.calc'"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Cli, HelpAndVersion)
{
    auto run = runCli({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("Usage: tarvine-cli [OPTIONS] [FILE]", 0), 0u);
    run = runCli({"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "tarvine-cli 1.0 (PROGRAM:Engine  PROJECT:Tarvine-1)\n");
}

TEST(Cli, AByteOrderMarkIsNotPartOfTheDocument)
{
    const auto run = runCli({"--json"}, "\xEF\xBB\xBF" "1 + 1");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "{\"results\": [\"2\"], \"error\": \"\"}\n");
}

} // namespace
