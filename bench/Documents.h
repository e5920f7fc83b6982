#pragma once

// Documents shared by the benchmarks.

#include <string>

namespace bench {

// Statements of the kinds people write, cycling through units, strings,
// tables, lists and calls of user functions and built-ins.
inline std::string realisticDocument(int lines)
{
    std::string source = "function area = (width, height) { width * height }\n"
                         "function total = (accumulator, item) { accumulator + item }\n"
                         "function describeAll = (key, value) { describe(value) }\n";
    for (int line = 0; line < lines; ++line) {
        const auto n = std::to_string(line);
        switch (line % 10) {
        case 0: source += "width" + n + " = " + n + ".25 m\n"; break;
        case 1: source += "height" + n + " = (" + n + " + 3) m / 2\n"; break;
        case 2: source += "a" + n + " = area(width: width" + std::to_string(line - 2) + ", height: height" +
                          std::to_string(line - 1) + ")\n"; break;
        case 3: source += "round(a" + std::to_string(line - 1) + " / 7, to: 2)\n"; break;
        case 4: source += "# a comment about line " + n + "\n"; break;
        case 5: source += "t" + n + " = {price = " + n + " / 3, count = 4, name = \"item " + n + "\"}\n"; break;
        case 6: source += "table_get(key: \"price\", from: t" + std::to_string(line - 1) + ") * 12\n"; break;
        case 7: source += "list_reduce(over: [1, 2, 3, " + n + "], from: 0, using: total)\n"; break;
        case 8: source += "match(if: " + n + " > 500, then: \"large\", else: \"small\") + \" order\"\n"; break;
        case 9: source += "map_values(over: t" + std::to_string(line - 4) + ", using: describeAll, returning: \"lines\")\n"; break;
        }
    }
    return source;
}

} // namespace bench
