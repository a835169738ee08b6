#include "cli/ValueNotes.h"

#include "cli/CommandLine.h"

#include "engine/MessageText.h"
#include "engine/NumberText.h"
#include "engine/Rounding.h"

namespace ondulix::cli {

std::optional<ValueNote> NoteFor(int table, TableKey key, std::string_view given, std::int32_t used) {
    ValueNote note;
    note.subject = "sin" + std::to_string(table + 1) + " " + std::string(KeyName(key));
    note.given = std::string(given);
    note.used = engine::IntegerText(used);

    const engine::LeadingNumber number = engine::ReadLeadingNumber(given);
    if (!number.found) {
        note.kind = ValueNote::Kind::NotANumber;
        return note;
    }
    // A clamped value is stored as its limit, and Length and Range below 1 as 1; rounding alone
    // never moves a value past the stored one.
    const std::int32_t read = engine::RoundHalfEven(number.value);
    if (read != used) {
        note.kind = read > used ? ValueNote::Kind::Above : ValueNote::Kind::Below;
        return note;
    }
    if (!number.ignored.empty()) {
        note.kind = ValueNote::Kind::IgnoredText;
        note.ignored = number.ignored;
        return note;
    }
    return std::nullopt;
}

std::vector<ValueNote> PreviewNotes(const PreviewTexts& texts, const engine::PreviewReading& reading) {
    const engine::PreviewView& view = reading.view;
    const struct {
        const char* key;
        const std::optional<std::string>& text;
        const engine::ValueReading& read;
        float used;
    } settings[] = {
        {"steps", texts.steps, reading.xmax, view.Xmax()},
        {"top", texts.top, reading.ymin, view.Ymin()},
        {"bottom", texts.bottom, reading.ymax, view.Ymax()},
    };
    const std::string defaultBottom = engine::FloatText(engine::PreviewView{}.Ymax());
    std::vector<ValueNote> notes;
    for (const auto& setting : settings) {
        const bool raised = setting.key == std::string_view("bottom") && reading.raisedYmax;
        if (!setting.text && !raised)
            continue;
        ValueNote note;
        note.subject = std::string("preview ") + setting.key;
        note.given = setting.text.value_or(defaultBottom);
        note.defaulted = !setting.text;
        note.used = engine::FloatText(setting.used);
        if (!setting.read.read.found)
            note.kind = ValueNote::Kind::NotANumber;
        else if (setting.read.clamped())
            note.kind = setting.read.read.value > setting.read.value ? ValueNote::Kind::Above : ValueNote::Kind::Below;
        else if (raised)
            note.kind = ValueNote::Kind::NotBelowTop;
        else if (!setting.read.read.ignored.empty()) {
            note.kind = ValueNote::Kind::IgnoredText;
            note.ignored = setting.read.read.ignored;
        } else
            continue;
        notes.push_back(std::move(note));
    }
    return notes;
}

std::vector<ValueNote> PositionNotes(const PreviewTexts& texts,
                                     const std::array<std::int32_t, engine::kTableCount>& used) {
    std::vector<ValueNote> notes;
    if (!texts.at)
        return notes;
    for (std::size_t t = 0; t < used.size(); ++t) {
        const std::string& given = (*texts.at)[t];
        const engine::LeadingNumber number = engine::ReadLeadingNumber(given);
        if (number.found && number.ignored.empty())
            continue;
        ValueNote note{"preview at sin" + std::to_string(t + 1), given, ValueNote::Kind::NotANumber,
                       engine::IntegerText(used[t]), number.ignored};
        if (number.found)
            note.kind = ValueNote::Kind::IgnoredText;
        notes.push_back(std::move(note));
    }
    return notes;
}

std::string DescribeNote(const ValueNote& note, bool strict) {
    const std::string& used = note.used;
    std::string line = note.subject + ": " + (note.defaulted ? "the default " : "") + engine::Quoted(note.given);
    switch (note.kind) {
    case ValueNote::Kind::NotANumber: line += " is not a number"; break;
    case ValueNote::Kind::Above: line += " is above " + used; break;
    case ValueNote::Kind::Below: line += " is below " + used; break;
    case ValueNote::Kind::NotBelowTop: line += " is not below the top"; break;
    case ValueNote::Kind::IgnoredText: line += " has " + engine::Quoted(note.ignored) + " after the number"; break;
    }
    line += strict ? "; --strict refuses to use " + used : "; using " + used;
    return line;
}

} // namespace ondulix::cli
