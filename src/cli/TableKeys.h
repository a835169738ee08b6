#pragma once

#include "engine/InputRules.h"

#include <array>
#include <optional>
#include <string_view>

namespace ondulix::cli {

// The parameters of one table that the command line sets: the fields of the table's row of
// boxes, named as the window's column headings name them. Their order is the order in which a
// user would type them into the boxes: the table's shape first, then the amplitude in whichever
// form was given.
using TableKey = engine::TableField;

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

// The help's lines on the keys: each name, what it means and the values it takes, the limits
// from the input rules themselves.
std::string KeysHelp();

} // namespace ondulix::cli
