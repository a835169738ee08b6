#include "export/DialectFile.h"

#include "engine/AmplitudeForms.h"
#include "engine/InputRules.h"
#include "engine/MessageText.h"
#include "export/ByteBounds.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <vector>

namespace ondulix::exporter {
namespace {

using engine::TableParams;

std::string text(std::int32_t number) { return std::to_string(number); }

bool splits(const Dialect& dialect, const DialectOptions& options) { return options.split && dialect.splitsWords; }

bool usesNames(const DialectOptions& options) { return !options.names.empty(); }

bool allTablesInOrder(const DialectOptions& options) {
    return options.tables == std::vector<int>{0, 1, 2, 3};
}

// A pattern of the dialect with its fields filled in.
struct Fields {
    std::string_view label = {};
    std::string_view directive = {};
    std::size_t length = 0;
    int align = 1;
    std::string_view guard = {};
};

std::string fill(std::string_view pattern, const Fields& f) {
    const std::string lengthText = std::to_string(f.length);
    const std::string alignText = std::to_string(f.align);
    const std::string maskText = std::to_string(f.align - 1);
    const std::array<std::pair<std::string_view, std::string_view>, 6> fields{{
        {"{label}", f.label},
        {"{directive}", f.directive},
        {"{length}", lengthText},
        {"{alignMask}", maskText},
        {"{align}", alignText},
        {"{guard}", f.guard},
    }};
    std::string filled;
    for (std::size_t at = 0; at < pattern.size();) {
        const auto field = std::find_if(fields.begin(), fields.end(),
                                        [&](const auto& each) { return pattern.substr(at).starts_with(each.first); });
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
    const Fields fields{.label = label, .directive = syntax.directive, .length = values.size()};
    const std::string lineOpening = fill(dialect.lineOpening, fields);
    out += fill(dialect.tableOpening, fields);
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i % perLine == 0) {
            if (i > 0)
                out += dialect.lineBreak;
            out += lineOpening;
        } else {
            out += dialect.valueSeparator;
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

// "Tables 1 to 4", "Table 3", "Tables 3 and 1", "Tables 2, 4 and 1".
std::string tablesNamed(const DialectOptions& options) {
    if (allTablesInOrder(options))
        return "Tables 1 to 4";
    std::string named = options.tables.size() == 1 ? "Table " : "Tables ";
    for (std::size_t i = 0; i < options.tables.size(); ++i) {
        if (i > 0)
            named += i + 1 == options.tables.size() ? " and " : ", ";
        named += text(options.tables[i] + 1);
    }
    return named;
}

std::string labelOf(const DialectOptions& options, std::size_t written) {
    return usesNames(options) ? options.names[written] : TableLabel(options.labelPrefix, options.tables[written]);
}

// One table's part of the file, or of each of its halves: the label, the form and the values.
struct Piece {
    std::string label;
    DataForm form;
    std::vector<std::int32_t> values;
};

struct Layout {
    std::vector<Piece> pieces;
    std::vector<DataForm> forms; // of each table written, before any split
    std::string problem;
};

// The pieces in the order written, or why the tables cannot be written.
Layout layOut(const engine::TableSet& set, const Dialect& dialect, const DialectOptions& options) {
    Layout layout;
    for (std::size_t written = 0; written < options.tables.size(); ++written) {
        const int table = options.tables[written];
        const std::string label = labelOf(options, written);
        const std::int32_t length = set.table(table).Length;
        if (length < 1 || length > engine::kMaxLength) {
            layout.problem = label + " has length " + text(length) + ", outside 1 to " + text(engine::kMaxLength);
            return layout;
        }
        const auto entries = WrittenEntries(set, table);
        if (!NarrowestForm(entries)) {
            layout.problem = label + " has entries from " + entrySpan(entries) + ", beyond 16 bits";
            return layout;
        }
        const std::optional<DataForm> form = FormFor(entries, options.form);
        if (!form) { // only bytes can be too narrow
            layout.problem = "--form bytes: " + NeedsWordsNote(set, table);
            return layout;
        }
        layout.forms.push_back(*form);
        if (splits(dialect, options) && !IsByteForm(*form)) {
            layout.pieces.push_back({label + std::string(kLowBytesSuffix), DataForm::UnsignedBytes, wordBytes(entries, 0u)});
            layout.pieces.push_back({label + std::string(kHighBytesSuffix), DataForm::UnsignedBytes, wordBytes(entries, 8u)});
        } else {
            layout.pieces.push_back({label, *form, std::vector<std::int32_t>(entries.begin(), entries.end())});
        }
    }
    return layout;
}

// The alignment written before a piece: --align, else the even address the processor needs for
// words, where it needs one.
int alignmentBefore(const Dialect& dialect, const DialectOptions& options, const Piece& piece) {
    if (options.align > 1)
        return options.align;
    return !dialect.wordAlignment.empty() && !IsByteForm(piece.form) ? 2 : 1;
}

class TextWriter {
public:
    TextWriter(const engine::TableSet& set, const Dialect& dialect, const DialectOptions& options, const Layout& layout)
        : set_(set), dialect_(dialect), options_(options), layout_(layout) {}

    std::string write() {
        appendHeader();
        out_ += fill(dialect_.preamble, {.guard = guard()});
        for (const Piece& piece : layout_.pieces) {
            out_ += '\n';
            appendAlignment(piece);
            appendTable(out_, dialect_, piece.label, piece.form, piece.values);
        }
        out_ += dialect_.endAlignment;
        out_ += dialect_.fileClosing;
        return std::move(out_);
    }

private:
    // Names the file for an include guard: the first table's label tells one file of tables from
    // another, as two files holding the same label could not go into one program anyway.
    std::string guard() const { return "ONDULIX_TABLES_" + labelOf(options_, 0); }

    bool pads() const {
        return options_.align > 1 || !dialect_.endAlignment.empty() ||
               std::any_of(layout_.pieces.begin(), layout_.pieces.end(),
                           [&](const Piece& piece) { return alignmentBefore(dialect_, options_, piece) > 1; });
    }

    void appendAlignment(const Piece& piece) {
        if (options_.align > 1)
            out_ += fill(dialect_.alignment, {.align = options_.align});
        else if (alignmentBefore(dialect_, options_, piece) > 1)
            out_ += dialect_.wordAlignment;
    }

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
        const bool one = options_.tables.size() == 1;
        comment(tablesNamed(options_) + (one ? ", entries 1 to its length" : ", entries 1 to length of each") +
                ", and nothing else" +
                (pads() ? (one ? " but the padding that aligns it" : " but the padding that aligns them") : "") +
                " (no origin or segment).");
        comment("Written again, byte for byte, to standard output by");
        comment("  " + RegenerateCommand(set_, dialect_, options_));
        for (std::size_t written = 0; written < options_.tables.size(); ++written) {
            const int table = options_.tables[written];
            const std::string label = labelOf(options_, written);
            const DataForm form = layout_.forms[written];
            comment("");
            comment(describeParams(label, set_.table(table)));
            comment(describeForm(label, form, WrittenEntries(set_, table), splits(dialect_, options_) && !IsByteForm(form)));
        }
    }

    const engine::TableSet& set_;
    const Dialect& dialect_;
    const DialectOptions& options_;
    const Layout& layout_;
    std::string out_;
};

// The entries' bytes after the load address, if any; alignment counts from the load address, or
// from the start of the bytes without one.
DialectFile rawBytes(const Dialect& dialect, const DialectOptions& options, const Layout& layout) {
    const ByteOrder order = options.byteOrder.value_or(dialect.byteOrder);
    std::string bytes;
    const auto appendByte = [&](unsigned byte) { bytes += static_cast<char>(byte & 0xFFu); };
    const auto appendWord = [&](unsigned word, ByteOrder wordOrder) {
        appendByte(wordOrder == ByteOrder::Little ? word : word >> 8u);
        appendByte(wordOrder == ByteOrder::Little ? word >> 8u : word);
    };
    if (options.loadAddress)
        appendWord(*options.loadAddress, ByteOrder::Little);
    const std::size_t start = bytes.size();
    const std::size_t base = options.loadAddress.value_or(0);
    const auto address = [&] { return base + (bytes.size() - start); };
    for (const Piece& piece : layout.pieces) {
        while (address() % static_cast<std::size_t>(options.align) != 0)
            appendByte(0);
        for (const std::int32_t value : piece.values) {
            const unsigned word = static_cast<std::uint16_t>(value);
            if (IsByteForm(piece.form))
                appendByte(word);
            else
                appendWord(word, order);
        }
    }
    constexpr std::size_t kAddressSpace = 0x10000;
    if (options.loadAddress && address() > kAddressSpace) {
        std::array<char, 24> last{};
        std::snprintf(last.data(), last.size(), "$%zX", address() - 1);
        return {.text = {},
                .problem = "--load-address: the tables would end at " + std::string(last.data()) +
                           ", past the last address $FFFF"};
    }
    return {.text = std::move(bytes), .problem = {}};
}

bool isAlignment(int align) { return align >= 1 && align <= kMaxAlignment && std::has_single_bit(static_cast<unsigned>(align)); }

} // namespace

std::string DialectOptionsProblem(const Dialect& dialect, const DialectOptions& options) {
    const std::string style(dialect.name);
    if (options.tables.empty() || options.tables.size() > engine::kTableCount ||
        std::any_of(options.tables.begin(), options.tables.end(), [](int t) { return t < 0 || t >= engine::kTableCount; }))
        return "--tables: give table numbers 1 to 4, each at most once";
    for (std::size_t i = 0; i < options.tables.size(); ++i)
        if (std::count(options.tables.begin(), options.tables.end(), options.tables[i]) > 1)
            return "--tables: table " + text(options.tables[i] + 1) + " is given twice";
    if (dialect.raw && (usesNames(options) || options.labelPrefix != kDefaultLabelPrefix))
        return std::string(usesNames(options) ? "--names" : "--label") + ": " + style + " has no labels";
    if (usesNames(options)) {
        if (options.names.size() != options.tables.size())
            return "--names: " + text(static_cast<std::int32_t>(options.names.size())) + " names for " +
                   text(static_cast<std::int32_t>(options.tables.size())) +
                   " tables written; give one name per table, in the order of --tables";
        if (std::string problem = TableNamesProblem(options.names, dialect); !problem.empty())
            return "--names: " + problem;
    } else if (!dialect.raw) {
        if (std::string problem = LabelPrefixProblem(options.labelPrefix, options.tables, dialect); !problem.empty())
            return "--label: " + problem;
    }
    if (!isAlignment(options.align))
        return "--align: " + text(options.align) + " is not a power of two from 1 to " + text(kMaxAlignment);
    if (options.align > 1 && !dialect.canAlign())
        return "--align: " + std::string(dialect.alignRefusal);
    if (!dialect.raw && options.byteOrder)
        return "--endian is for --style bin; " + style + " writes words as its target stores them";
    if (!dialect.raw && options.loadAddress)
        return "--load-address is for --style bin";
    return {};
}

DialectFile WriteDialectFile(const engine::TableSet& set, const Dialect& dialect, const DialectOptions& options) {
    if (std::string problem = DialectOptionsProblem(dialect, options); !problem.empty())
        return {.text = {}, .problem = std::move(problem)};
    const Layout layout = layOut(set, dialect, options);
    if (!layout.problem.empty())
        return {.text = {}, .problem = layout.problem};
    if (dialect.raw)
        return rawBytes(dialect, options, layout);
    return {.text = TextWriter(set, dialect, options, layout).write(), .problem = {}};
}

std::string RegenerateCommand(const engine::TableSet& set, const Dialect& dialect, const DialectOptions& options) {
    const auto joined = [](const auto& items, auto textOf) {
        std::string list;
        for (const auto& item : items) {
            if (!list.empty())
                list += ',';
            list += textOf(item);
        }
        return list;
    };
    std::string command = std::string(kExportProgram) + " --style " + std::string(dialect.name);
    if (!allTablesInOrder(options))
        command += " --tables " + joined(options.tables, [](int t) { return text(t + 1); });
    if (usesNames(options))
        command += " --names " + joined(options.names, [](const std::string& name) { return name; });
    else if (options.labelPrefix != kDefaultLabelPrefix)
        command += " --label " + options.labelPrefix;
    if (options.form)
        command += *options.form == FormChoice::Bytes ? " --form bytes" : " --form words";
    if (options.align > 1)
        command += " --align " + text(options.align);
    if (splits(dialect, options))
        command += " --split";
    std::vector<int> inIndexOrder = options.tables;
    std::sort(inIndexOrder.begin(), inIndexOrder.end());
    for (const int table : inIndexOrder)
        command += " --sin" + text(table + 1) + " " + tableKeys(set.table(table));
    return command;
}

std::string NeedsWordsNote(const engine::TableSet& set, int table) {
    const auto entries = WrittenEntries(set, table);
    const std::optional<DataForm> form = NarrowestForm(entries);
    if (!form || IsByteForm(*form))
        return {};
    const auto [lowest, highest] = std::minmax_element(entries.begin(), entries.end());
    std::string note = "sin" + text(table + 1) + " needs " + std::string(TraitsOf(*form).description) +
                       ": its entries run from " + text(*lowest) + " to " + text(*highest);
    if (const auto bounds = SuggestByteBounds(set.table(table)))
        note += "; min=" + text(bounds->Minimum) + ",max=" + text(bounds->Maximum) + " would make it fit " +
                std::string(TraitsOf(bounds->form).description);
    return note;
}

std::string TableText(const Dialect& dialect, std::string_view label, DataForm form,
                      std::span<const std::int32_t> values) {
    std::string out;
    appendTable(out, dialect, label, form, values);
    return out;
}

} // namespace ondulix::exporter
