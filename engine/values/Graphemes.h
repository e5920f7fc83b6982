#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace engine::Graphemes {

// User-perceived characters (extended grapheme clusters) of UTF-8 text. A
// carriage return followed by a line feed is one character. Bytes that are
// not valid UTF-8 count as one character each, so no input is ever rejected
// or crashes the segmentation. ASCII text takes a fast path.

// The characters in order, as views into `text`.
std::vector<std::string_view> split(std::string_view text);
// How many characters `text` holds.
std::size_t count(std::string_view text);
// Whether `text` is well-formed UTF-8.
bool isValidUtf8(std::string_view text);
// The bytes before the first that does not begin a well-formed sequence:
// text.size() for well-formed UTF-8.
std::size_t validUtf8Length(std::string_view text);

// The byte offset just past the character that begins at byte `offset`, for
// walking a text one character at a time. `offset` must lie below
// text.size() and on a character boundary.
std::size_t characterEnd(std::string_view text, std::size_t offset);

} // namespace engine::Graphemes
