#include "values/Graphemes.h"

#include <utf8proc.h>

namespace engine::Graphemes {

namespace {

bool isAscii(unsigned char byte) { return byte < 0x80; }

const utf8proc_uint8_t* bytesOf(std::string_view text)
{
    return reinterpret_cast<const utf8proc_uint8_t*>(text.data());
}

// The code point at `offset` and its length in bytes; a length of 0 marks a
// byte that does not begin a well-formed sequence.
struct Decoded {
    utf8proc_int32_t codePoint;
    std::size_t length;
};

Decoded decode(std::string_view text, std::size_t offset)
{
    utf8proc_int32_t codePoint = 0;
    const auto length = utf8proc_iterate(bytesOf(text) + offset,
                                         static_cast<utf8proc_ssize_t>(text.size() - offset), &codePoint);
    if (length <= 0)
        return {0, 0};
    return {codePoint, static_cast<std::size_t>(length)};
}

} // namespace

std::size_t characterEnd(std::string_view text, std::size_t offset)
{
    const auto size = text.size();
    const auto first = static_cast<unsigned char>(text[offset]);
    if (isAscii(first)) {
        if (offset + 1 == size)
            return size;
        const auto next = static_cast<unsigned char>(text[offset + 1]);
        // Between two ASCII characters the only non-break is CR × LF; an
        // ASCII character never extends what precedes it otherwise.
        if (isAscii(next))
            return first == '\r' && next == '\n' ? offset + 2 : offset + 1;
    }

    auto [previous, length] = decode(text, offset);
    if (length == 0)
        return offset + 1; // a stray byte is a character of its own
    auto end = offset + length;
    // Nothing but a prepended mark joins the ASCII character after it.
    if (end < size && isAscii(static_cast<unsigned char>(text[end]))
        && utf8proc_get_property(previous)->boundclass != UTF8PROC_BOUNDCLASS_PREPEND)
        return end;
    // The break state may start afresh at a boundary.
    utf8proc_int32_t state = 0;
    while (end < size) {
        const auto [next, nextLength] = decode(text, end);
        if (nextLength == 0 || utf8proc_grapheme_break_stateful(previous, next, &state))
            break;
        previous = next;
        end += nextLength;
    }
    return end;
}

std::vector<std::string_view> split(std::string_view text)
{
    std::vector<std::string_view> characters;
    for (std::size_t offset = 0; offset < text.size();) {
        const auto end = characterEnd(text, offset);
        characters.push_back(text.substr(offset, end - offset));
        offset = end;
    }
    return characters;
}

std::size_t count(std::string_view text)
{
    const auto size = text.size();
    std::size_t characters = 0;
    for (std::size_t offset = 0; offset < size; ++characters) {
        // The common case inline: an ASCII character followed by ASCII, the
        // first not a carriage return, is a character of its own.
        const auto first = static_cast<unsigned char>(text[offset]);
        if (offset + 1 < size && isAscii(first) && isAscii(static_cast<unsigned char>(text[offset + 1]))
            && first != '\r')
            ++offset;
        else
            offset = characterEnd(text, offset);
    }
    return characters;
}

bool isValidUtf8(std::string_view text) { return validUtf8Length(text) == text.size(); }

std::size_t validUtf8Length(std::string_view text)
{
    std::size_t offset = 0;
    while (offset < text.size()) {
        if (isAscii(static_cast<unsigned char>(text[offset]))) {
            ++offset;
            continue;
        }
        const auto length = decode(text, offset).length;
        if (length == 0)
            break;
        offset += length;
    }
    return offset;
}

} // namespace engine::Graphemes
