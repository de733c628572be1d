#pragma once
// Rules for the program's 8-bit texts that every unit shares: ASCII case,
// blanks at the ends, the characters of code page 936, which the texts are
// written in (a lead byte 0x81-0xFE takes the next byte with it), and those of
// UTF-8, which addresses decode to and the files a complete save writes are in.
#include <cstddef>
#include <string>
#include <string_view>

// ASCII letters in lower case; every other byte, a double-byte character's
// among them, as it is.
std::string LowerCase(std::string_view s);
// Without the bytes up to ' ' (spaces and control characters) at either end.
std::string_view Trim(std::string_view s);
// s ends in tail, which is in lower case, in any case.
bool EndsWithNoCase(std::string_view s, std::string_view tail);

bool IsLeadByte936(unsigned char c);
// The length of the longest start of s of at most maxBytes bytes that ends on
// a character boundary (a lead byte at the very end counts as a character).
size_t CutAtCharacter936(std::string_view s, size_t maxBytes);

// The length of the well-formed UTF-8 character at s[at] (1 to 4), or 0 where
// none begins: a stray continuation byte, a sequence cut short, an overlong
// form, a surrogate or a code point above U+10FFFF.
size_t Utf8CharacterLength(std::string_view s, size_t at);
bool IsUtf8(std::string_view s);
// The length of the longest start of s of at most maxBytes bytes that does not
// end inside a UTF-8 sequence.
size_t CutAtUtf8Character(std::string_view s, size_t maxBytes);
