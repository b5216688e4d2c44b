// Text inside the program is UTF-8. Files and octet-string values on the wire
// use the Japanese code page 932; this module converts at that edge, counts
// and cuts text by characters, and turns line ends into CR LF.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ntr {

// Converts UTF-8 to code page 932. Returns false (leaving `out` unspecified)
// when the text is not valid UTF-8 or holds a character code page 932 lacks.
bool Utf8ToCp932(std::string_view utf8, std::string& out);

// As above, but puts '?' in place of every character that cannot be converted.
std::string Utf8ToCp932Lossy(std::string_view utf8);

// Converts code page 932 bytes to UTF-8. Returns false on a byte sequence that
// is not code page 932.
bool Cp932ToUtf8(std::string_view cp932, std::string& out);

// As above, but puts U+FFFD in place of every byte that cannot be converted.
std::string Cp932ToUtf8Lossy(std::string_view cp932);

// The text as one line of the configuration file keeps it: every character
// that cannot make the round trip through code page 932 unchanged, or that
// would break the line (control characters, C1 controls included), becomes
// '?'. Texts from a switch are kept in this form wherever they arrive, so
// that the record read back from the file is the record that was written.
std::string FileSafeText(std::string_view utf8);

// Replaces every byte that does not belong to a valid UTF-8 sequence by U+FFFD.
std::string SanitizeUtf8(std::string_view text);

// Length of the valid UTF-8 sequence at the start of `text`, or 0 when the
// first byte does not start one (overlong forms and surrogates are invalid).
std::size_t Utf8SequenceLength(std::string_view text);

// Number of characters (code points) of UTF-8 text; an invalid byte counts as one.
std::size_t CountChars(std::string_view utf8);

// The longest prefix of `utf8` with at most `maxChars` characters, never
// cutting a character in two.
std::string_view CutToChars(std::string_view utf8, std::size_t maxChars);

// Writes every "\n" as "\r\n" (an existing "\r\n" is kept as it is).
std::string ToCrLf(std::string_view text);

}  // namespace ntr
