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
    // No string the language builds is longer than this many user-perceived
    // characters or bytes, so no chain of doublings can exhaust memory.
    static constexpr std::size_t maxCharacters = 1'000'000;
    static constexpr std::size_t maxBytes = 16 * 1024 * 1024;

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

    // Throws InterpretError "Result too large" when a string of this many
    // characters or bytes would pass the limits above. Call it before building.
    static void checkResultSize(std::size_t characters, std::size_t bytes);
    // The number of user-perceived characters.
    std::size_t length() const;

    // The text in Normalization Form C.
    std::string normalized() const;
    // Whether every byte is ASCII; such a text is its own normal form.
    bool isAscii() const;
};

} // namespace engine
