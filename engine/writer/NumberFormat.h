#pragma once

#include <cstdint>

namespace engine {

enum class NumberFormat : std::uint8_t {
    // Always the fraction: "5/1", "-3/2".
    rational,
    // The decimal approximation, as "%.15g" prints it. `float` is a C++
    // keyword, hence the trailing underscore.
    float_,
    // The decimal text when the fraction has a finite decimal expansion,
    // otherwise a whole part and a proper fraction: "1.75", "1 1/3".
    mixed,
};

} // namespace engine
