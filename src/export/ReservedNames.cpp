#include "export/ReservedNames.h"

#include <algorithm>

namespace ondulix::exporter {
namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameInAnyCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) { return lower(x) == lower(y); });
}

} // namespace

bool ReservedNames::holds(std::string_view label) const {
    return std::any_of(names.begin(), names.end(), [&](std::string_view name) {
        return caseSensitive ? name == label : sameInAnyCase(name, label);
    });
}

} // namespace ondulix::exporter
