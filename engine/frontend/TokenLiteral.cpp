#include "frontend/TokenLiteral.h"

namespace engine {

void TokenLiteral::destroy(Box* box) { delete box; }

} // namespace engine
