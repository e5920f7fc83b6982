#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace tarvine::cli {

// Every source line, and after it, in a column aligned past the longest line
// (capped so that one long line does not push every result off screen), that
// line's results after "# ". The output is itself a valid document.
void writeForPeople(std::ostream& out, std::string_view source, const std::vector<std::string>& results);

// Terminal columns a text takes: wide characters count 2, combining marks 0,
// a tab advances to the next multiple of 8.
std::size_t displayWidth(std::string_view text);

} // namespace tarvine::cli
