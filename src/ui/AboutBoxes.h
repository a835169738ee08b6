#pragma once

#include <string_view>

namespace ondulix::ui {

// The texts of the two information boxes. Lines end in CR LF; "about this" ends with a line
// break, "about us" does not.

inline constexpr std::string_view kAboutThisTitle = "About Ondulix V1";
inline constexpr std::string_view kAboutThisText =
    "Ondulix V1 was made by the Ondulix crew\r\n"
    "to help with the boring work of creating nice\r\n"
    "tables for your demo-effects.\r\n"
    "\r\n"
    "If you are a coder you will get into the usability\r\n"
    "of this little tool quite fast, if you are not-it is not\r\n"
    "made for you anyway ;)\r\n";

inline constexpr std::string_view kAboutUsTitle = "Who Are We?!";
inline constexpr std::string_view kAboutUsText =
    "so if ya really don't know who\r\n"
    "we are check these URL's:\r\n"
    "\r\n"
    "https://ondulix.example.org/\r\n"
    "https://ondulix.example.org/tables/\r\n"
    "https://demo.ondulix.example.net/\r\n"
    "https://c64.ondulix.example.net/\r\n"
    "\r\n"
    "or send your intelligent questions to:\r\n"
    "crew@ondulix.example.org";

inline constexpr std::string_view kSaveFailedTitle = "Ondulix V1";

} // namespace ondulix::ui
