#include "cli/TableKeys.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace ondulix::cli {
namespace {

struct KeySpelling {
    std::string_view name;
    TableKey key;
};

constexpr KeySpelling kSpellings[] = {
    {"length", TableKey::Length},   {"offset", TableKey::Offset},   {"periods", TableKey::Periods},
    {"speed", TableKey::Speed},     {"minimum", TableKey::Minimum}, {"min", TableKey::Minimum},
    {"maximum", TableKey::Maximum}, {"max", TableKey::Maximum},     {"origin", TableKey::Origin},
    {"range", TableKey::Range},
};

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return lower;
}

} // namespace

std::string_view KeyName(TableKey key) {
    for (const KeySpelling& spelling : kSpellings)
        if (spelling.key == key)
            return spelling.name; // the first spelling of a key is its full name
    return "?";
}

std::optional<TableKey> FindTableKey(std::string_view name) {
    const std::string lower = lowerCase(name);
    for (const KeySpelling& spelling : kSpellings)
        if (spelling.name == lower)
            return spelling.key;
    return std::nullopt;
}

bool IsBoundsKey(TableKey key) { return key == TableKey::Minimum || key == TableKey::Maximum; }
bool IsCentreKey(TableKey key) { return key == TableKey::Origin || key == TableKey::Range; }

ui::HeadlessWindow::Row<ui::HeadlessWindow::Box>& BoxRow(ui::HeadlessWindow& window, TableKey key) {
    switch (key) {
    case TableKey::Length: return window.txtSinLen;
    case TableKey::Offset: return window.txtSinOffs;
    case TableKey::Periods: return window.txtSinWaves;
    case TableKey::Speed: return window.txtSinSpeed;
    case TableKey::Minimum: return window.txtSinMin;
    case TableKey::Maximum: return window.txtSinMax;
    case TableKey::Origin: return window.txtSinOrigin;
    case TableKey::Range: return window.txtSinRange;
    }
    return window.txtSinLen;
}

std::int32_t StoredValue(const engine::TableParams& table, TableKey key) {
    switch (key) {
    case TableKey::Length: return table.Length;
    case TableKey::Offset: return table.Offset;
    case TableKey::Periods: return table.Periods;
    case TableKey::Speed: return table.Speed;
    case TableKey::Minimum: return table.Minimum;
    case TableKey::Maximum: return table.Maximum;
    case TableKey::Origin: return table.Origin;
    case TableKey::Range: return table.Range;
    }
    return 0;
}

} // namespace ondulix::cli
