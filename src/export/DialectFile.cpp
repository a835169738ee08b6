#include "export/DialectFile.h"

#include "engine/AmplitudeForms.h"
#include "engine/InputRules.h"
#include "export/DataForm.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace ondulix::exporter {
namespace {

using engine::TableParams;

constexpr std::string_view kValueSeparator = ", ";

std::string text(std::int32_t number) { return std::to_string(number); }

bool splits(const Dialect& dialect, const DialectOptions& options) { return options.split && dialect.splitsWords; }

// A pattern of the dialect with its {label}, {directive} and {length} filled in.
std::string fill(std::string_view pattern, std::string_view label, std::string_view directive, std::size_t length) {
    const std::string lengthText = std::to_string(length);
    const std::array<std::pair<std::string_view, std::string_view>, 3> fields{
        {{"{label}", label}, {"{directive}", directive}, {"{length}", lengthText}}};
    std::string filled;
    for (std::size_t at = 0; at < pattern.size();) {
        const auto field = std::find_if(fields.begin(), fields.end(),
                                        [&](const auto& f) { return pattern.substr(at).starts_with(f.first); });
        if (field == fields.end()) {
            filled += pattern[at++];
        } else {
            filled += field->second;
            at += field->first.size();
        }
    }
    return filled;
}

void appendTable(std::string& out, const Dialect& dialect, std::string_view label, DataForm form,
                 std::span<const std::int32_t> values) {
    const DataSyntax& syntax = dialect.syntaxOf(form);
    const auto perLine = static_cast<std::size_t>(TraitsOf(form).valuesPerLine);
    const std::string lineOpening = fill(dialect.lineOpening, label, syntax.directive, values.size());
    out += '\n';
    out += fill(dialect.tableOpening, label, syntax.directive, values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i % perLine == 0) {
            if (i > 0)
                out += dialect.lineBreak;
            out += lineOpening;
        } else {
            out += kValueSeparator;
        }
        const bool negative = values[i] < 0;
        out += negative ? syntax.negativeOpen : "";
        out += text(values[i]);
        out += negative ? syntax.negativeClose : "";
    }
    out += dialect.tableClosing;
}

// One byte of each 16-bit entry, as the little-endian word holds it (two's complement).
std::vector<std::int32_t> wordBytes(std::span<const std::int32_t> entries, unsigned shift) {
    std::vector<std::int32_t> bytes(entries.size());
    std::transform(entries.begin(), entries.end(), bytes.begin(), [shift](std::int32_t entry) {
        const std::uint32_t word = static_cast<std::uint16_t>(entry);
        return static_cast<std::int32_t>((word >> shift) & 0xFFu);
    });
    return bytes;
}

// The bounds give back the generator's Origin and Range unless the table came from a centre form
// that the bounds cannot carry: an odd Range whose Origin is not the rounded midpoint, or bounds
// derived beyond the limits of a typed bound (Origin 16384 with Range 32768 has Maximum 32768).
bool boundsReproduce(const TableParams& table) {
    const auto typable = [](engine::TableField field, std::int32_t value) {
        const engine::Limits limits = engine::RuleOf(field).limits;
        return value >= limits.low && value <= limits.high;
    };
    TableParams fromBounds = table;
    engine::OriginRangeFromMinMax(fromBounds);
    return fromBounds.Origin == table.Origin && fromBounds.Range == table.Range &&
           typable(engine::TableField::Minimum, table.Minimum) && typable(engine::TableField::Maximum, table.Maximum);
}

std::string tableKeys(const TableParams& t) {
    std::string keys = "length=" + text(t.Length) + ",offset=" + text(t.Offset) + ",periods=" + text(t.Periods) +
                       ",speed=" + text(t.Speed);
    if (boundsReproduce(t))
        return keys + ",min=" + text(t.Minimum) + ",max=" + text(t.Maximum);
    return keys + ",origin=" + text(t.Origin) + ",range=" + text(t.Range);
}

std::string describeParams(std::string_view label, const TableParams& t) {
    return std::string(label) + " with length " + text(t.Length) + ", minimum " + text(t.Minimum) + ", maximum " +
           text(t.Maximum) + ", origin " + text(t.Origin) + ", range " + text(t.Range) + ", offset " +
           text(t.Offset) + ", periods " + text(t.Periods) + ", speed " + text(t.Speed);
}

// "-96 to 96": the lowest and the highest entry. A table has at least one.
std::string entrySpan(std::span<const std::int32_t> entries) {
    const auto [lowest, highest] = std::minmax_element(entries.begin(), entries.end());
    return text(*lowest) + " to " + text(*highest);
}

std::string describeForm(std::string_view label, DataForm form, std::span<const std::int32_t> entries, bool split) {
    std::string line = "  " + std::string(TraitsOf(form).description) + ", entries " + entrySpan(entries);
    if (split)
        line += ", split into " + std::string(label) + std::string(kLowBytesSuffix) + " (low bytes) and " +
                std::string(label) + std::string(kHighBytesSuffix) + " (high bytes)";
    return line;
}

// The form of every table, or why a table cannot be written.
struct TableForms {
    std::array<DataForm, engine::kTableCount> forms{};
    std::string problem;
};

TableForms narrowestForms(const engine::TableSet& set, std::string_view prefix) {
    TableForms result;
    for (int i = 0; i < engine::kTableCount; ++i) {
        const std::int32_t length = set.tables[static_cast<std::size_t>(i)].Length;
        if (length < 1 || length > engine::kMaxLength) {
            result.problem = TableLabel(prefix, i) + " has length " + text(length) + ", outside 1 to " +
                             text(engine::kMaxLength);
            return result;
        }
        const auto entries = WrittenEntries(set, i);
        const std::optional<DataForm> form = NarrowestForm(entries);
        if (!form) {
            result.problem = TableLabel(prefix, i) + " has entries from " + entrySpan(entries) + ", beyond 16 bits";
            return result;
        }
        result.forms[static_cast<std::size_t>(i)] = *form;
    }
    return result;
}

class Writer {
public:
    Writer(const engine::TableSet& set, const Dialect& dialect, const DialectOptions& options,
           const std::array<DataForm, engine::kTableCount>& forms)
        : set_(set), dialect_(dialect), options_(options), forms_(forms) {}

    std::string write() {
        appendHeader();
        out_ += dialect_.preamble;
        for (int i = 0; i < engine::kTableCount; ++i)
            appendTables(i);
        return std::move(out_);
    }

private:
    DataForm formOf(int table) const { return forms_[static_cast<std::size_t>(table)]; }
    bool splitsTable(int table) const { return splits(dialect_, options_) && !IsByteForm(formOf(table)); }
    std::string labelOf(int table) const { return TableLabel(options_.labelPrefix, table); }

    // No colon in a comment: xa ends a comment at a colon, and takes what follows as a statement.
    void comment(std::string_view line) {
        // An empty comment line ends at its marker, without the blank after it.
        const std::string_view marker = dialect_.comment;
        out_ += line.empty() ? marker.substr(0, marker.find_last_not_of(' ') + 1) : marker;
        out_ += line;
        out_ += '\n';
    }

    void appendHeader() {
        comment("Sine tables by Ondulix V1, " + std::string(dialect_.description) + ".");
        comment("Tables 1 to 4, entries 1 to length of each, and nothing else (no origin or segment).");
        comment("Written again, byte for byte, to standard output by");
        comment("  " + RegenerateCommand(set_, dialect_, options_));
        for (int i = 0; i < engine::kTableCount; ++i) {
            comment("");
            comment(describeParams(labelOf(i), set_.tables[static_cast<std::size_t>(i)]));
            comment(describeForm(labelOf(i), formOf(i), WrittenEntries(set_, i), splitsTable(i)));
        }
    }

    // The table, or its low bytes and then its high bytes.
    void appendTables(int table) {
        const std::string label = labelOf(table);
        const auto entries = WrittenEntries(set_, table);
        if (splitsTable(table)) {
            appendTable(out_, dialect_, label + std::string(kLowBytesSuffix), DataForm::UnsignedBytes,
                        wordBytes(entries, 0u));
            appendTable(out_, dialect_, label + std::string(kHighBytesSuffix), DataForm::UnsignedBytes,
                        wordBytes(entries, 8u));
        } else {
            appendTable(out_, dialect_, label, formOf(table), entries);
        }
    }

    const engine::TableSet& set_;
    const Dialect& dialect_;
    const DialectOptions& options_;
    const std::array<DataForm, engine::kTableCount>& forms_;
    std::string out_;
};

} // namespace

DialectFile WriteDialectFile(const engine::TableSet& set, const Dialect& dialect, const DialectOptions& options) {
    if (std::string problem = LabelPrefixProblem(options.labelPrefix); !problem.empty())
        return {.text = {}, .problem = std::move(problem)};
    const TableForms tableForms = narrowestForms(set, options.labelPrefix);
    if (!tableForms.problem.empty())
        return {.text = {}, .problem = tableForms.problem};
    return {.text = Writer(set, dialect, options, tableForms.forms).write(), .problem = {}};
}

std::string RegenerateCommand(const engine::TableSet& set, const Dialect& dialect, const DialectOptions& options) {
    std::string command = std::string(kExportProgram) + " --style " + std::string(dialect.name);
    if (options.labelPrefix != kDefaultLabelPrefix)
        command += " --label " + options.labelPrefix;
    if (splits(dialect, options))
        command += " --split";
    for (int i = 0; i < engine::kTableCount; ++i)
        command += " --sin" + text(i + 1) + " " + tableKeys(set.tables[static_cast<std::size_t>(i)]);
    return command;
}

} // namespace ondulix::exporter
