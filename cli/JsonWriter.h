#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvine::cli {

// A JSON string literal of valid UTF-8 text: quotes, backslashes and control
// characters escaped, everything else passed through.
std::string jsonString(std::string_view text);

// {"results": [...], "error": "..."} on one line.
std::string resultsJson(const std::vector<std::string>& results, std::string_view error);

} // namespace tarvine::cli
