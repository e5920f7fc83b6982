#include "frontend/TokenType.h"

#include <array>

namespace engine {

std::string_view toString(TokenType type)
{
    static constexpr std::array names{
#define ENGINE_TOKEN_TYPE_NAME(name) std::string_view(#name),
        ENGINE_TOKEN_TYPES(ENGINE_TOKEN_TYPE_NAME)
#undef ENGINE_TOKEN_TYPE_NAME
    };
    const auto index = static_cast<std::size_t>(type);
    return index < names.size() ? names[index] : std::string_view("unknown");
}

} // namespace engine
