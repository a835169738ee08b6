#pragma once

#include "engine/TableSet.h"
#include "ui/HeadlessWindow.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace ondulix::cli {

// The parameters of one table that the command line sets, named as the window's column headings
// name them. The order of the enumerators is the order in which they are typed into the window's
// boxes: the table's shape first, then the amplitude in whichever form was given.
enum class TableKey : std::uint8_t { Length, Offset, Periods, Speed, Minimum, Maximum, Origin, Range };

inline constexpr std::array kTableKeys{TableKey::Length,  TableKey::Offset,  TableKey::Periods,
                                       TableKey::Speed,   TableKey::Minimum, TableKey::Maximum,
                                       TableKey::Origin,  TableKey::Range};
inline constexpr std::size_t kTableKeyCount = kTableKeys.size();

// "length", "minimum", ...: the name a key is reported under.
std::string_view KeyName(TableKey key);

// Accepts the names above and the short forms "min" and "max", in any letter case.
std::optional<TableKey> FindTableKey(std::string_view name);

// Minimum/Maximum form one amplitude form, Origin/Range the other.
bool IsBoundsKey(TableKey key);
bool IsCentreKey(TableKey key);

// The window's box the key is typed into (txtSinLen for Length, and so on).
ui::HeadlessWindow::Row<ui::HeadlessWindow::Box>& BoxRow(ui::HeadlessWindow& window, TableKey key);

// The parameter the key's box sets, as the table set holds it.
std::int32_t StoredValue(const engine::TableParams& table, TableKey key);

} // namespace ondulix::cli
