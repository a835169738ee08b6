#include "cli/CommandLine.h"

#include "engine/MessageText.h"

#include <algorithm>

namespace ondulix::cli {
namespace {

using namespace std::string_literals;

using engine::LowerCase;
using engine::Quoted;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::size_t slot(TableKey key) { return static_cast<std::size_t>(key); }

std::optional<exporter::ExportStyle> findStyle(std::string_view name) {
    const std::string lower = LowerCase(name);
    if (lower == "c" || lower == "1")
        return exporter::ExportStyle::CArrays;
    if (lower == "asm" || lower == "2")
        return exporter::ExportStyle::AssemblerBytes;
    return std::nullopt;
}

// "--sin1" to "--sin4" give 0 to 3; "--sin" followed by other digits is a table that does not
// exist; anything else is not a table option at all.
enum class TableOption { NotATable, NoSuchTable, Table };

TableOption readTableOption(std::string_view name, int& table) {
    constexpr std::string_view prefix = "--sin";
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix)
        return TableOption::NotATable;
    const std::string_view number = name.substr(prefix.size());
    if (!std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return TableOption::NotATable;
    if (number.size() != 1 || number[0] < '1' || number[0] > '4')
        return TableOption::NoSuchTable;
    table = number[0] - '1';
    return TableOption::Table;
}

class Reader {
public:
    explicit Reader(std::span<const std::string_view> args) : args_(args) {}

    ParsedCommandLine read() {
        for (next_ = 0; next_ < args_.size() && result_.ok();) {
            const std::string_view arg = args_[next_++];
            if (arg == "--help" || arg == "-h") {
                result_.request.action = ExportRequest::Action::Help;
                break;
            }
            if (arg == "--version") {
                result_.request.action = ExportRequest::Action::Version;
                break;
            }
            readOption(arg);
        }
        if (result_.ok() && result_.request.action == ExportRequest::Action::Export)
            checkDialectOptions();
        if (result_.ok() && result_.request.check && result_.request.outputPath == "-")
            fail("--check reports on standard output; give -o a file name to write the file as well");
        const PreviewTexts& preview = result_.request.preview;
        const bool previewGiven = preview.steps || preview.top || preview.bottom || preview.on;
        if (result_.ok() && result_.request.action == ExportRequest::Action::Export && previewGiven &&
            !result_.request.check)
            fail("--preview is read by --check only; add --check");
        return result_;
    }

private:
    void fail(std::string message) {
        if (result_.ok())
            result_.error = std::move(message);
    }

    void readOption(std::string_view arg) {
        // "--name=value" carries its value; a short "-oFILE" too.
        std::string_view name = arg;
        std::optional<std::string_view> attached;
        if (arg.starts_with("--")) {
            if (const auto eq = arg.find('='); eq != std::string_view::npos) {
                name = arg.substr(0, eq);
                attached = arg.substr(eq + 1);
            }
        } else if (arg.starts_with("-o") && arg.size() > 2) {
            name = "-o";
            attached = arg.substr(2);
        }

        int table = 0;
        if (name == "--check") {
            readCheck(attached);
        } else if (name == "--preview") {
            if (const auto value = takeValue(name, attached, "key=value,..."))
                readPreview(*value);
        } else if (name == "--strict") {
            result_.request.strict |= takeFlag(name, attached);
        } else if (name == "--style") {
            if (const auto value = takeValue(name, attached, StyleNames()))
                readStyle(*value);
        } else if (name == "--label") {
            if (const auto value = takeValue(name, attached, "a label prefix, such as sin"))
                readLabel(*value);
        } else if (name == "--split") {
            result_.request.dialectOptions.split |= takeFlag(name, attached);
        } else if (name == "-o" || name == "--output") {
            if (const auto value = takeValue(name, attached, "a file name"))
                readOutput(name, *value);
        } else if (const TableOption option = readTableOption(name, table); option == TableOption::Table) {
            if (const auto value = takeValue(name, attached, "key=value,..."))
                readTable(name, table, *value);
        } else if (option == TableOption::NoSuchTable) {
            fail(std::string(name) + ": there is no table " + std::string(name.substr(5)) +
                 "; the tables are --sin1 to --sin4");
        } else if (arg.starts_with("-") && arg != "-") {
            fail("unknown option " + Quoted(name) + " (see --help)");
        } else {
            fail("unexpected argument " + Quoted(arg) + " (see --help)");
        }
    }

    // A switch is on once given; a value attached to it is an error.
    bool takeFlag(std::string_view name, std::optional<std::string_view> attached) {
        if (attached)
            fail(std::string(name) + " takes no value");
        return !attached;
    }

    // The option's value: attached after "=", or the next argument unless that is an option.
    std::optional<std::string_view> takeValue(std::string_view name, std::optional<std::string_view> attached,
                                              std::string_view what) {
        std::optional<std::string_view> value = attached;
        if (!value && next_ < args_.size() && (!args_[next_].starts_with("-") || args_[next_] == "-"))
            value = args_[next_++];
        if (!value || value->empty()) {
            fail(std::string(name) + " needs a value: " + std::string(what));
            return std::nullopt;
        }
        return value;
    }

    void readStyle(std::string_view value) {
        const auto style = findStyle(value);
        const exporter::Dialect* dialect = exporter::FindDialect(value);
        if (!style && !dialect)
            return fail("--style: unknown style " + Quoted(value) + "; use " + StyleNames());
        if (styleGiven_)
            return fail("--style is given twice");
        styleGiven_ = true;
        if (style)
            result_.request.style = *style;
        result_.request.dialect = dialect;
    }

    void readLabel(std::string_view prefix) {
        if (labelGiven_)
            return fail("--label is given twice");
        labelGiven_ = true;
        result_.request.dialectOptions.labelPrefix = std::string(prefix);
    }

    // What the style takes: a label prefix for any dialect, --split for the assemblers'.
    void checkDialectOptions() {
        const ExportRequest& request = result_.request;
        const std::string dialects = exporter::DialectNames();
        if (labelGiven_ && !request.dialect)
            return fail("--label needs a --style of " + dialects + "; the styles c and asm name their tables SinTab1 to SinTab4");
        if (request.dialectOptions.split && (!request.dialect || !request.dialect->splitsWords))
            return fail("--split is for the assembler styles; " +
                        std::string(request.dialect ? request.dialect->name : "this style") +
                        " writes 16-bit tables whole");
        if (std::string problem = exporter::LabelPrefixProblem(request.dialectOptions.labelPrefix); !problem.empty())
            return fail("--label: " + problem);
    }

    void readOutput(std::string_view name, std::string_view value) {
        if (result_.request.outputPath)
            return fail(std::string(name) + " is given twice");
        result_.request.outputPath = std::string(value);
    }

    // "key=value,key=value": calls take(key, value) for each entry, in order, until one fails.
    // Returns false when the list is malformed or an entry was refused.
    template <class Take>
    bool readKeyValues(const std::string& option, std::string_view list, Take take) {
        std::size_t start = 0;
        while (start <= list.size() && result_.ok()) {
            const std::size_t comma = std::min(list.find(',', start), list.size());
            const std::string_view item = list.substr(start, comma - start);
            start = comma + 1;

            if (trimmed(item).empty()) {
                fail(option + ": empty entry in " + Quoted(list));
                break;
            }
            const std::size_t eq = item.find('=');
            const std::string_view keyName = trimmed(item.substr(0, std::min(eq, item.size())));
            if (eq == std::string_view::npos || keyName.empty()) {
                fail(option + ": " + Quoted(item) + " is not key=value");
                break;
            }
            take(keyName, item.substr(eq + 1));
        }
        return result_.ok();
    }

    // "length=256,min=0,max=255". A table may be given more than once; its keys are then merged,
    // and a key given twice is an error, so the order of the arguments never matters.
    void readTable(std::string_view name, int table, std::string_view list) {
        const std::string option(name);
        TableTexts& texts = result_.request.tables[static_cast<std::size_t>(table)];
        const bool read = readKeyValues(option, list, [&](std::string_view keyName, std::string_view value) {
            const auto key = FindTableKey(keyName);
            if (!key)
                return fail(option + ": unknown key " + Quoted(keyName) +
                            "; the keys are length, offset, periods, speed, minimum (min), maximum (max), origin, range");
            if (trimmed(value).empty())
                return fail(option + ": " + std::string(KeyName(*key)) + " has no value");
            if (texts[slot(*key)])
                return fail(option + ": " + std::string(KeyName(*key)) + " is given twice");
            texts[slot(*key)] = std::string(value);
        });
        if (!read)
            return;

        const auto given = [&](bool (*form)(TableKey)) {
            return std::any_of(kTableKeys.begin(), kTableKeys.end(),
                               [&](TableKey key) { return form(key) && texts[slot(key)].has_value(); });
        };
        if (given(IsBoundsKey) && given(IsCentreKey))
            fail(option + ": the amplitude is given both as minimum/maximum and as origin/range; give one form");
    }

    // "steps=512,top=-512,bottom=512,on=1111": the numbers are read as the preview's boxes read
    // them; "on" is one digit per table, 1 for a table that takes part and 0 for one that does not.
    void readPreview(std::string_view list) {
        const std::string option = "--preview";
        PreviewTexts& preview = result_.request.preview;
        readKeyValues(option, list, [&](std::string_view keyName, std::string_view value) {
            const std::string key = LowerCase(keyName);
            std::optional<std::string>* text = key == "steps" ? &preview.steps
                                              : key == "top"  ? &preview.top
                                              : key == "bottom" ? &preview.bottom
                                                                : nullptr;
            if (!text && key != "on")
                return fail(option + ": unknown key " + Quoted(keyName) + "; the keys are steps, top, bottom, on");
            if (trimmed(value).empty())
                return fail(option + ": " + key + " has no value");
            if (text ? text->has_value() : preview.on.has_value())
                return fail(option + ": " + key + " is given twice");
            if (text) {
                *text = std::string(value);
                return;
            }
            const auto on = readParticipation(value);
            if (!on)
                return fail(option + ": on=" + Quoted(value) +
                            " is not one digit 0 or 1 per table, such as 1111 or 1010");
            preview.on = on;
        });
    }

    static std::optional<engine::Participation> readParticipation(std::string_view digits) {
        engine::Participation on{};
        if (digits.size() != on.size())
            return std::nullopt;
        for (std::size_t t = 0; t < on.size(); ++t) {
            if (digits[t] != '0' && digits[t] != '1')
                return std::nullopt;
            on[t] = digits[t] == '1';
        }
        return on;
    }

    void readCheck(std::optional<std::string_view> format) {
        if (result_.request.check)
            return fail("--check is given twice");
        const std::string lower = LowerCase(format.value_or("text"));
        if (lower == "text")
            result_.request.check = ExportRequest::CheckReport::Text;
        else if (lower == "json")
            result_.request.check = ExportRequest::CheckReport::Json;
        else
            fail("--check=" + std::string(format.value_or("")) + ": use --check or --check=json");
    }

    std::span<const std::string_view> args_;
    std::size_t next_ = 0;
    bool styleGiven_ = false;
    bool labelGiven_ = false;
    ParsedCommandLine result_;
};

} // namespace

ParsedCommandLine ParseCommandLine(std::span<const std::string_view> args) { return Reader(args).read(); }

std::string StyleNames() { return "c (or 1), asm (or 2), " + exporter::DialectNames(); }

const std::string& TextOf(const TableTexts& texts, TableKey key) { return *texts[slot(key)]; }
bool IsGiven(const TableTexts& texts, TableKey key) { return texts[slot(key)].has_value(); }

} // namespace ondulix::cli
