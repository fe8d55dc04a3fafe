#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvida {

// Text inside the program is UTF-8 bytes. These are the one walker over them: where the
// bytes must become code points (ID3v2's UTF-16), be checked (a server's reply) or be cut
// to a buffer without leaving half a character.

// Decodes the well-formed UTF-8 sequence at text[i] (no overlongs, surrogates or values
// past U+10FFFF) into `cp` and advances i past it. On anything else: false, and i moves
// on by one byte, so a caller can resynchronise.
bool DecodeUtf8(std::string_view text, std::size_t& i, char32_t& cp);

// The code point at text[i], advancing i; U+FFFD for a malformed byte.
char32_t NextCodePoint(std::string_view text, std::size_t& i);

bool IsValidUtf8(std::string_view text);
bool IsAscii(std::string_view text);

// The longest prefix of `text` of at most `maxBytes` bytes that does not end inside a
// UTF-8 character, so that a field cut to its size stays readable text. Bytes that are
// not UTF-8 at all are cut where the limit falls.
std::string CutUtf8(std::string_view text, std::size_t maxBytes);

}  // namespace korvida
