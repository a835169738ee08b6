#pragma once

#include "cli/TableKeys.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ondulix::cli {

// A given text that the window would not take as it stands. Rounding (2.5 to 2) is the boxes'
// ordinary reading and is not noted.
struct ValueNote {
    enum class Kind {
        NotANumber,  // no number begins the text: it reads 0 (Length and Range then 1)
        Above,       // clamped down to the limit
        Below,       // clamped up to the limit, or Length/Range raised to 1
        IgnoredText, // the number is followed by text the reading drops ("12abc", "0x10")
    };
    int table = 0; // 0 to 3
    TableKey key = TableKey::Length;
    std::string given;
    Kind kind = Kind::NotANumber;
    std::int32_t used = 0;
    std::string ignored; // for IgnoredText
};

// The note for one given text, judged against the value stored for it.
std::optional<ValueNote> NoteFor(int table, TableKey key, std::string_view given, std::int32_t used);

// One line without the program's prefix:
//   sin1 length: "20000" is above 16384; using 16384
// With --strict the value is refused instead: "...; --strict refuses to use 16384".
std::string DescribeNote(const ValueNote& note, bool strict);

} // namespace ondulix::cli
