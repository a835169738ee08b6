#pragma once

#include "cli/TableKeys.h"
#include "engine/InputRules.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ondulix::cli {

// A given text that the window would not take as it stands. Rounding (2.5 to 2) is the boxes'
// ordinary reading and is not noted.
struct ValueNote {
    enum class Kind {
        NotANumber,  // no number begins the text: it reads 0 (Length and Range then 1)
        Above,       // clamped down to the limit
        Below,       // clamped up to the limit, or Length/Range raised to 1
        NotBelowTop, // the preview's bottom bound, raised to the top + 1
        IgnoredText, // the number is followed by text the reading drops ("12abc", "0x10")
    };
    std::string subject; // "sin1 length", "preview bottom"
    std::string given;
    Kind kind = Kind::NotANumber;
    std::string used;    // the value taken, as its box would show it
    std::string ignored; // for IgnoredText
    bool defaulted = false; // `given` is the start-up value, not given on the command line
};

// The note for one given text of a table, judged against the value stored for it.
std::optional<ValueNote> NoteFor(int table, TableKey key, std::string_view given, std::int32_t used);

// The notes for the preview's settings of --check, read as the preview's boxes read them.
struct PreviewTexts;
// A top at or below the default bottom moves the bottom too, which is noted as well.
std::vector<ValueNote> PreviewNotes(const PreviewTexts& texts, const engine::PreviewReading& reading);

// The notes for the positions of --preview at=, against the positions used.
std::vector<ValueNote> PositionNotes(const PreviewTexts& texts,
                                     const std::array<std::int32_t, engine::kTableCount>& used);

// One line without the program's prefix:
//   sin1 length: "20000" is above 16384; using 16384
// With --strict the value is refused instead: "...; --strict refuses to use 16384".
std::string DescribeNote(const ValueNote& note, bool strict);

} // namespace ondulix::cli
