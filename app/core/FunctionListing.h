#pragma once

#include <string>
#include <vector>

namespace tarvine {

// The built-in functions as the settings window lists them: each rendered as
// the user sees it ("table_get(key:from)"), in ascending order.
std::vector<std::string> functionListing();

} // namespace tarvine
