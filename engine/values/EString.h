#pragma once

#include <string>

#include "values/Hasher.h"

namespace engine {

class Number;
class ValueUnion;

// A string value of the language, held as UTF-8. The strings "true" and
// "false" are the language's truth values.
class EString {
public:
    std::string value;

    EString() = default;
    explicit EString(std::string value) : value(std::move(value)) {}

    // `true` and `false` are C++ keywords, hence the trailing underscore.
    static EString true_() { return EString("true"); }
    static EString false_() { return EString("false"); }
    static ValueUnion fromBool(bool value);

    // "true" gives "false", "false" gives "true", anything else bork.
    ValueUnion not_() const;
    static ValueUnion add(const EString& left, const EString& right);
    static ValueUnion multiply(const EString& string, const Number& count);
    static ValueUnion equality(const EString& left, const EString& right);
    static ValueUnion inequality(const EString& left, const EString& right);

    // Unicode canonical equivalence: equal NFC forms.
    bool operator==(const EString& other) const;
    // Hashes the NFC form, so canonically equivalent texts hash alike.
    void hash(Hasher& hasher) const;

    // The text in Normalization Form C.
    std::string normalized() const;
};

} // namespace engine
