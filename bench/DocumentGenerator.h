#pragma once

// Generated documents for the benchmarks and the peer comparison
// (scripts/compare-peers.sh, through tarvine-generate-document).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tarvine {

// Deterministic documents of a given number of lines. A document of n lines
// is the first n lines of every longer one of its kind, so sizes compare.
class DocumentGenerator {
public:
    enum class Kind {
        // What people write: assignments with units, fractions, strings,
        // tables, lists, comments, blank lines, user and built-in calls.
        typical,
        // Exact fractions with and without kg, m and s, and variables: the
        // part of the language that mathjs and qalc share with Tarvine.
        peer,
    };
    // Whose syntax a peer document is written in. They differ in two places:
    // qalc assigns with ":=", and Tarvine writes a fraction of a unit as
    // "(3/4) kg", since its "3/4 kg" is 3 / (4 kg); mathjs and qalc read
    // "3/4 kg" as three quarters of a kilogram.
    enum class Dialect { tarvine, mathjs, qalc };

    // Where a keystroke lands: 0-based line and byte column.
    struct Position {
        int line;
        int column;
    };

    static constexpr int headerLines = 4;
    static constexpr int typicalCycle = 14;
    static constexpr int peerCycle = 8;

    static std::string document(Kind kind, Dialect dialect, int lines)
    {
        std::string text;
        text.reserve(static_cast<std::size_t>(lines) * 48);
        for (int index = 0; index < lines; ++index) {
            text += kind == Kind::typical ? typicalLine(index) : peerLine(index, dialect);
            text += '\n';
        }
        return text;
    }

    static std::string typical(int lines) { return document(Kind::typical, Dialect::tarvine, lines); }
    static std::string peer(int lines, Dialect dialect) { return document(Kind::peer, dialect, lines); }

    static std::string typicalLine(int index)
    {
        switch (index) {
        case 0: return "# Generated document: typical lines";
        case 1: return "function area = (width, height) { width * height }";
        case 2: return "function total = (accumulator, item) { accumulator + item }";
        case 3: return "function describeAll = (key, value) { describe(value) }";
        default: break;
        }
        const int body = index - headerLines;
        const auto c = std::to_string(body / typicalCycle);
        switch (body % typicalCycle) {
        case 0: return "width" + c + " = " + c + ".25 m";
        case 1: return "height" + c + " = (" + c + " + 3) m / 2";
        case 2: return "area" + c + " = area(width: width" + c + ", height: height" + c + ")";
        case 3: return "round(area" + c + " / 7, to: 2)";
        case 4: return "# a comment about line " + std::to_string(index + 1);
        case 5: return "t" + c + " = {price = " + c + " / 3, count = 4, name = \"item " + c + "\"}";
        case 6: return "table_get(key: \"price\", from: t" + c + ") * 12";
        case 7: return "list_reduce(over: [1, 2, 3, " + c + "], from: 0, using: total)";
        case 8: return "match(if: " + c + " > 500, then: \"large\", else: \"small\") + \" order\"";
        case 9: return "map_values(over: t" + c + ", using: describeAll, returning: \"lines\")";
        case 10: return "";
        case 11: return "mass" + c + " = (" + small(body, 50) + "/8) kg + (1/3) kg";
        case 12: return "label" + c + " = \"order \" + \"" + c + "\"";
        default: return "speed" + c + " = mass" + c + " * 2 m / (5 s); ratio" + c + " = 7/12 - " + small(body, 9) + "/4";
        }
    }

    static std::string peerLine(int index, Dialect dialect)
    {
        const auto p = small(index, 7);
        const auto q = std::to_string(index % 11 + 2);
        const auto r = small(index, 5);
        const auto t = std::to_string(index % 13 + 3);
        const auto name = [](int at) { return "v" + std::to_string(at); };
        const std::string assign = name(index) + (dialect == Dialect::qalc ? " := " : " = ");
        const auto ofUnit = [dialect](const std::string& fraction, std::string_view unit) {
            return (dialect == Dialect::tarvine ? "(" + fraction + ")" : fraction) + " " + std::string(unit);
        };
        switch (index % peerCycle) {
        case 0: return assign + ofUnit(p + "/" + q, "kg");
        case 1: return assign + ofUnit(r + "/" + t, "m");
        case 2: return assign + ofUnit(p + "/" + t, "s");
        case 3: return assign + name(index - 3) + " * " + name(index - 2) + " / " + name(index - 1);
        case 4: return assign + p + "/" + q + " + " + r + "/" + t;
        case 5: return assign + name(index - 1) + " * " + r + "/" + q + " - " + p + "/" + t;
        case 6: return assign + name(index - 3) + " + " + name(index - 3) + " * " + p + "/" + q;
        default: return assign + name(index - 6) + " / (" + ofUnit(r + "/" + t, "s") + ")";
        }
    }

    // Inside the string of a table line near the middle, before its closing
    // quote: typing there keeps the document valid and changes a result (the
    // map_values line four lines down shows the string). None in a document
    // too short to hold both lines.
    static std::optional<Position> typingPosition(int lines)
    {
        const int tableKind = 5;
        const int shownBelow = 4;
        if (lines <= headerLines + tableKind + shownBelow)
            return std::nullopt;
        int body = (lines - headerLines) / 2;
        body -= (body % typicalCycle - tableKind + typicalCycle) % typicalCycle;
        if (body < 0)
            body += typicalCycle; // past the middle, but the only one there is
        const int line = headerLines + body;
        return Position{line, static_cast<int>(typicalLine(line).size()) - 2};
    }

    static std::optional<Kind> kindNamed(std::string_view name)
    {
        if (name == "typical")
            return Kind::typical;
        if (name == "peer")
            return Kind::peer;
        return std::nullopt;
    }

    static std::optional<Dialect> dialectNamed(std::string_view name)
    {
        if (name == "tarvine")
            return Dialect::tarvine;
        if (name == "mathjs")
            return Dialect::mathjs;
        if (name == "qalc")
            return Dialect::qalc;
        return std::nullopt;
    }

private:
    // 1 to `range`, varying with the line so that values differ.
    static std::string small(int index, int range) { return std::to_string(index % range + 1); }
};

} // namespace tarvine
