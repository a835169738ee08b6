#include "export/LabelPrefix.h"

#include "engine/MessageText.h"
#include "engine/TableSet.h"
#include "export/Dialect.h"

#include <algorithm>
#include <vector>

namespace ondulix::exporter {
namespace {

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isIdentifierChar(char c) { return isAsciiLetter(c) || (c >= '0' && c <= '9') || c == '_'; }

std::string named(std::string_view prefix) { return "the label prefix " + engine::Quoted(prefix); }

// The longest label is that of table 4's high bytes.
constexpr std::size_t kMaxPrefixLength =
    kMaxLabelLength - 1 - std::max(kLowBytesSuffix.size(), kHighBytesSuffix.size());

// Every label the prefix makes: the tables' and their halves'.
std::vector<std::string> labelsOf(std::string_view prefix) {
    std::vector<std::string> labels;
    for (int table = 0; table < engine::kTableCount; ++table)
        for (const std::string_view suffix : {std::string_view(), kLowBytesSuffix, kHighBytesSuffix})
            labels.push_back(TableLabel(prefix, table) + std::string(suffix));
    return labels;
}

// The first label of the prefix that a dialect reserves, with the dialect's name.
std::string reservedLabelProblem(std::string_view prefix) {
    for (const Dialect& dialect : Dialects())
        for (const std::string& label : labelsOf(prefix))
            if (dialect.reserves(label))
                return named(prefix) + " makes the label " + label + ", a reserved name in " +
                       std::string(dialect.name);
    return {};
}

} // namespace

std::string TableLabel(std::string_view prefix, int table) { return std::string(prefix) + std::to_string(table + 1); }

std::string LabelPrefixProblem(std::string_view prefix) {
    if (prefix.empty())
        return "the label prefix is empty";
    if (!isAsciiLetter(prefix.front()))
        return named(prefix) + " does not begin with a letter (a to z, A to Z)";
    if (!std::all_of(prefix.begin(), prefix.end(), isIdentifierChar))
        return named(prefix) + " holds other characters than ASCII letters, digits and _";
    if (prefix.size() > kMaxPrefixLength)
        return named(prefix) + " is longer than " + std::to_string(kMaxPrefixLength) + " characters";
    return reservedLabelProblem(prefix);
}

} // namespace ondulix::exporter
