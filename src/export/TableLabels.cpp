#include "export/TableLabels.h"

#include "engine/MessageText.h"
#include "export/Dialect.h"

#include <algorithm>
#include <vector>

namespace ondulix::exporter {
namespace {

using engine::LowerCase;
using engine::Quoted;

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isIdentifierChar(char c) { return isAsciiLetter(c) || (c >= '0' && c <= '9') || c == '_'; }

constexpr std::size_t kLongestSuffix = std::max(kLowBytesSuffix.size(), kHighBytesSuffix.size());

// A label and the labels of its two halves.
std::vector<std::string> withHalves(const std::string& label) {
    return {label, label + std::string(kLowBytesSuffix), label + std::string(kHighBytesSuffix)};
}

// Why the labels made from `given` (a prefix or a name, `what` says which) cannot be, or empty.
// `longest` leaves room for what is appended to it.
std::string labelsProblem(std::string_view what, std::string_view given, std::size_t longest,
                          const std::vector<std::string>& labels, const Dialect& dialect) {
    const std::string named = std::string(what) + " " + Quoted(given);
    if (given.empty())
        return std::string(what) + " is empty";
    if (!isAsciiLetter(given.front()))
        return named + " does not begin with a letter (a to z, A to Z)";
    if (!std::all_of(given.begin(), given.end(), isIdentifierChar))
        return named + " holds other characters than ASCII letters, digits and _";
    if (given.size() > longest)
        return named + " is longer than " + std::to_string(longest) + " characters";
    for (const std::string& label : labels)
        if (const ReservedNames* reserved = dialect.refuses(label))
            return named + " makes the label " + label + ", " + std::string(reserved->refusal);
    return {};
}

} // namespace

std::string TableLabel(std::string_view prefix, int table) { return std::string(prefix) + std::to_string(table + 1); }

std::string LabelPrefixProblem(std::string_view prefix, std::span<const int> tables, const Dialect& dialect) {
    std::vector<std::string> labels;
    for (const int table : tables)
        for (std::string& label : withHalves(TableLabel(prefix, table)))
            labels.push_back(std::move(label));
    // The longest label is a table's half: the prefix, one digit and the suffix.
    return labelsProblem("the label prefix", prefix, kMaxLabelLength - 1 - kLongestSuffix, labels, dialect);
}

std::string TableNamesProblem(std::span<const std::string> names, const Dialect& dialect) {
    std::vector<std::pair<std::string, std::string>> made; // label in lower case, the name
    for (const std::string& name : names) {
        const std::vector<std::string> labels = withHalves(name);
        if (std::string problem = labelsProblem("the name", name, kMaxLabelLength - kLongestSuffix, labels, dialect);
            !problem.empty())
            return problem;
        for (const std::string& label : labels) {
            const auto same = std::find_if(made.begin(), made.end(),
                                           [&](const auto& m) { return m.first == LowerCase(label); });
            if (same != made.end())
                return same->second == name ? "the name " + Quoted(name) + " is given twice"
                                            : "the names " + Quoted(same->second) + " and " + Quoted(name) +
                                                  " both make the label " + label + " (letter case aside)";
            made.emplace_back(LowerCase(label), name);
        }
    }
    return {};
}

} // namespace ondulix::exporter
