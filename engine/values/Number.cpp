#include "values/Number.h"

#include "values/ValueUnion.h"

namespace engine {

void Number::hash(Hasher& hasher) const
{
    hasher.combineSigned(numerator);
    hasher.combineSigned(denominator);
    units.hash(hasher);
}

} // namespace engine
