#include "core/FunctionListing.h"

#include <algorithm>

#include "interpreter/StandardLibrary.h"
#include "writer/ASTWriter.h"

namespace tarvine {

std::vector<std::string> functionListing()
{
    std::vector<std::string> listing;
    for (const auto& [name, value] : engine::StandardLibrary::functions()) {
        listing.push_back(engine::ASTWriter::writeValue(value, engine::NumberFormat::mixed, false));
    }
    std::sort(listing.begin(), listing.end());
    return listing;
}

} // namespace tarvine
