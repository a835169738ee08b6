#pragma once

#include <string>
#include <string_view>

namespace ondulix::engine {

// Texts for messages that echo what a user gave.

// The longest part of a value a message quotes; the rest is cut and marked with "…", so that a
// value of a hundred thousand characters still gives a message of one readable line.
inline constexpr std::size_t kQuotedCharacters = 60;

// "\"12abc\"": the value in double quotes, at most kQuotedCharacters characters of it (UTF-8
// characters, never cut in the middle of one) followed by "…" when it is longer, and control
// characters written as escapes ("\n", "\t", "\x01") so that the message stays on one line.
std::string Quoted(std::string_view value);

// The most characters of a path a window's message shows on its line.
inline constexpr std::size_t kPathCharacters = 64;

// A path of at most kPathCharacters characters, shortened in its middle ("/tmp/…/tables/sinus.s")
// so that its first folder and its file name stay visible; a file name too long on its own is
// shortened in its middle too, keeping its end and its extension ("sine_tables_…_final.s").
std::string ShortenedPath(std::string_view path);

// ASCII letters in lower case; every other byte as it is.
std::string LowerCase(std::string_view text);

} // namespace ondulix::engine
