#include "cli/TableKeys.h"

#include "engine/MessageText.h"

#include <string>

namespace ondulix::cli {
namespace {

struct KeySpelling {
    std::string_view name;
    TableKey key;
};

// The first spelling of a key is its full name.
constexpr KeySpelling kSpellings[] = {
    {"length", TableKey::Length},   {"offset", TableKey::Offset},   {"periods", TableKey::Periods},
    {"speed", TableKey::Speed},     {"minimum", TableKey::Minimum}, {"min", TableKey::Minimum},
    {"maximum", TableKey::Maximum}, {"max", TableKey::Maximum},     {"origin", TableKey::Origin},
    {"range", TableKey::Range},
};

// What each key means, in the help's words, in the order of TableKey.
constexpr std::array<std::string_view, kTableKeyCount> kMeanings{
    "length          entries in the table          ",
    "offset          phase offset, in entries      ",
    "periods         sine periods over the table   ",
    "speed           preview step per frame        ",
    "minimum, min    lower bound  \\  the amplitude ",
    "maximum, max    upper bound  /  as bounds     ",
    "origin          centre value \\  or in centre  ",
    "range           max - min    /  form          ",
};

std::string limitText(double value) { return std::to_string(static_cast<long>(value)); }

} // namespace

std::string_view KeyName(TableKey key) {
    for (const KeySpelling& spelling : kSpellings)
        if (spelling.key == key)
            return spelling.name;
    return "?";
}

std::optional<TableKey> FindTableKey(std::string_view name) {
    const std::string lower = engine::LowerCase(name);
    for (const KeySpelling& spelling : kSpellings)
        if (spelling.name == lower)
            return spelling.key;
    return std::nullopt;
}

bool IsBoundsKey(TableKey key) { return key == TableKey::Minimum || key == TableKey::Maximum; }
bool IsCentreKey(TableKey key) { return key == TableKey::Origin || key == TableKey::Range; }

std::string KeysHelp() {
    std::string help;
    for (const TableKey key : kTableKeys) {
        const engine::FieldRule& rule = engine::RuleOf(key);
        // Length and Range take texts down to their lower limit but store at least 1.
        const double lowest = rule.storedAtLeastOne ? 1.0 : rule.limits.low;
        help += "  ";
        help += kMeanings[static_cast<std::size_t>(key)];
        help += limitText(lowest) + " to " + limitText(rule.limits.high) + "\n";
    }
    return help;
}

} // namespace ondulix::cli
