#include "values/EString.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include <utf8proc.h>

#include "values/ValueUnion.h"

namespace engine {

namespace {

bool isAscii(const std::string& text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

std::string EString::normalized() const
{
    if (isAscii(value))
        return value; // ASCII is already in NFC
    utf8proc_uint8_t* result = nullptr;
    const auto length = utf8proc_map(reinterpret_cast<const utf8proc_uint8_t*>(value.data()),
                                     static_cast<utf8proc_ssize_t>(value.size()), &result,
                                     static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE));
    if (length < 0)
        return value; // not valid UTF-8: compare the bytes as they are
    std::unique_ptr<utf8proc_uint8_t, decltype(&std::free)> owned(result, &std::free);
    return std::string(reinterpret_cast<const char*>(result), static_cast<std::size_t>(length));
}

bool EString::operator==(const EString& other) const
{
    if (value == other.value)
        return true;
    if (isAscii(value) && isAscii(other.value))
        return false;
    return normalized() == other.normalized();
}

void EString::hash(Hasher& hasher) const { hasher.combine(std::string_view(normalized())); }

ValueUnion EString::fromBool(bool value) { return value ? true_() : false_(); }

} // namespace engine
