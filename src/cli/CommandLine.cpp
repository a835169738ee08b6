#include "cli/CommandLine.h"

#include "engine/MessageText.h"
#include "engine/NumberText.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

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
            if (optionsEnded_) {
                fail("unexpected argument " + Quoted(arg) + " (see --help)");
                break;
            }
            if (arg == "--") {
                optionsEnded_ = true;
                continue;
            }
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
        const bool previewGiven = preview.steps || preview.top || preview.bottom || preview.on || preview.at;
        if (result_.ok() && result_.request.action == ExportRequest::Action::Export && previewGiven &&
            !result_.request.check)
            fail("--preview is read by --check only; add --check");
        if (result_.ok() && result_.request.action == ExportRequest::Action::Export && result_.request.checkBudget &&
            !result_.request.check)
            fail("--check-budget is read by --check only; add --check");
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
        } else if (name == "--check-budget") {
            if (const auto value = takeValue(name, attached, "seconds, such as 2 or 0.5 (0: no limit)"))
                readCheckBudget(*value);
        } else if (name == "--strict") {
            result_.request.strict |= takeFlag(name, attached);
        } else if (name == "--style") {
            if (const auto value = takeValue(name, attached, StyleNames()))
                readStyle(*value);
        } else if (const DialectValueOption* dialectOption = findDialectValueOption(name)) {
            if (const auto value = takeValue(name, attached, dialectOption->what))
                readDialectValue(*dialectOption, *value);
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

    // The options of the dialects that take a value: --label, --tables, --names, ...
    enum class Takes { AnyDialect, Labels, RawBytes }; // which dialects take the option
    struct DialectValueOption {
        std::string_view name;
        std::string_view what; // what the value is, for the message when it is missing
        Takes takes;
        std::string_view withoutDialect; // why the styles c and asm do without it
        void (Reader::*read)(std::string_view value);
    };

    // "c99, 64tass, ...": the dialects that take an option.
    static std::string stylesTaking(Takes takes) {
        std::string names;
        for (const exporter::Dialect& dialect : exporter::Dialects()) {
            if ((takes == Takes::Labels && dialect.raw) || (takes == Takes::RawBytes && !dialect.raw))
                continue;
            if (!names.empty())
                names += ", ";
            names += dialect.name;
        }
        return names;
    }
    static const std::array<DialectValueOption, 7> kDialectValueOptions;

    static const DialectValueOption* findDialectValueOption(std::string_view name) {
        const auto found = std::find_if(kDialectValueOptions.begin(), kDialectValueOptions.end(),
                                        [&](const DialectValueOption& option) { return option.name == name; });
        return found == kDialectValueOptions.end() ? nullptr : &*found;
    }

    bool given(std::string_view option) const {
        return std::find(givenDialectValues_.begin(), givenDialectValues_.end(), option) != givenDialectValues_.end();
    }

    void readDialectValue(const DialectValueOption& option, std::string_view value) {
        if (given(option.name))
            return fail(std::string(option.name) + " is given twice");
        givenDialectValues_.push_back(option.name);
        (this->*option.read)(value);
    }

    void readLabel(std::string_view prefix) { result_.request.dialectOptions.labelPrefix = std::string(prefix); }

    // "1,3": table numbers, each once, in the order written.
    void readTables(std::string_view list) {
        std::vector<int>& tables = result_.request.dialectOptions.tables;
        tables.clear();
        for (const std::string_view item : commaSeparated(list)) {
            const std::string_view number = trimmed(item);
            if (number.size() != 1 || number[0] < '1' || number[0] > '4')
                return fail("--tables: " + Quoted(number) + " is not a table number 1 to 4");
            const int table = number[0] - '1';
            if (std::find(tables.begin(), tables.end(), table) != tables.end())
                return fail("--tables: table " + std::string(number) + " is given twice");
            tables.push_back(table);
        }
    }

    // "xsin,ysin": one label per table written.
    void readNames(std::string_view list) {
        std::vector<std::string>& names = result_.request.dialectOptions.names;
        for (const std::string_view item : commaSeparated(list)) {
            if (trimmed(item).empty())
                return fail("--names: empty name in " + Quoted(list));
            names.emplace_back(trimmed(item));
        }
    }

    // One of two words, in any letter case.
    template <class Choice>
    std::optional<Choice> readChoice(std::string_view option, std::string_view value,
                                     const std::array<std::pair<std::string_view, Choice>, 2>& choices) {
        const std::string lower = LowerCase(value);
        for (const auto& [word, choice] : choices)
            if (lower == word)
                return choice;
        fail(std::string(option) + ": " + Quoted(value) + " is neither " + std::string(choices[0].first) + " nor " +
             std::string(choices[1].first));
        return std::nullopt;
    }

    void readForm(std::string_view value) {
        using exporter::FormChoice;
        result_.request.dialectOptions.form =
            readChoice<FormChoice>("--form", value, {{{"bytes", FormChoice::Bytes}, {"words", FormChoice::Words}}});
    }

    // A decimal number; whether it is a power of two the dialect can align to is checked with the
    // other options.
    void readAlign(std::string_view value) {
        const auto number = readNumber(trimmed(value), 10);
        if (!number || *number > exporter::kMaxAlignment)
            return fail("--align: " + Quoted(value) + " is not a power of two from 1 to " +
                        std::to_string(exporter::kMaxAlignment));
        result_.request.dialectOptions.align = static_cast<int>(*number);
    }

    void readEndian(std::string_view value) {
        using exporter::ByteOrder;
        result_.request.dialectOptions.byteOrder =
            readChoice<ByteOrder>("--endian", value, {{{"little", ByteOrder::Little}, {"big", ByteOrder::Big}}});
    }

    // "$C000", "0xC000" or "49152".
    void readLoadAddress(std::string_view value) {
        const std::string_view address = trimmed(value);
        const std::string lower = LowerCase(address);
        const auto number = lower.starts_with("$")    ? readNumber(address.substr(1), 16)
                             : lower.starts_with("0x") ? readNumber(address.substr(2), 16)
                                                       : readNumber(address, 10);
        if (!number || *number > 0xFFFF)
            return fail("--load-address: " + Quoted(value) + " is not an address from 0 to $FFFF ($C000, 0xC000 or 49152)");
        result_.request.dialectOptions.loadAddress = static_cast<std::uint16_t>(*number);
    }

    // Digits alone in the base, up to a value of 0x10000; nothing for anything else.
    static std::optional<std::uint32_t> readNumber(std::string_view digits, std::uint32_t base) {
        if (digits.empty())
            return std::nullopt;
        std::uint32_t number = 0;
        for (const char c : digits) {
            const char lower = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            const std::uint32_t digit = lower >= '0' && lower <= '9'   ? static_cast<std::uint32_t>(lower - '0')
                                        : lower >= 'a' && lower <= 'f' ? static_cast<std::uint32_t>(lower - 'a' + 10)
                                                                       : base;
            if (digit >= base)
                return std::nullopt;
            number = std::min<std::uint32_t>(number * base + digit, 0x10000);
        }
        return number;
    }

    static std::vector<std::string_view> commaSeparated(std::string_view list) {
        std::vector<std::string_view> items;
        std::size_t start = 0;
        for (std::size_t comma = list.find(','); comma != std::string_view::npos; comma = list.find(',', start)) {
            items.push_back(list.substr(start, comma - start));
            start = comma + 1;
        }
        items.push_back(list.substr(start));
        return items;
    }

    // What the style takes: the dialect options for any dialect, --split for those that split
    // words, and each of them as the dialect can have it.
    void checkDialectOptions() {
        const ExportRequest& request = result_.request;
        if (!request.dialect) {
            for (const DialectValueOption& option : kDialectValueOptions)
                if (given(option.name))
                    return fail(std::string(option.name) + " needs a --style of " + stylesTaking(option.takes) +
                                "; " + std::string(option.withoutDialect));
        }
        if (request.dialectOptions.split && (!request.dialect || !request.dialect->splitsWords))
            return fail("--split is for the assembler styles; " +
                        std::string(request.dialect ? request.dialect->name : "this style") +
                        " writes 16-bit tables whole");
        if (given("--names") && given("--label"))
            return fail("--names and --label both name the tables; give one of them");
        if (request.dialect)
            fail(exporter::DialectOptionsProblem(*request.dialect, request.dialectOptions));
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

    // "steps=512,top=-512,bottom=512,on=1111,at=0/0/0/0": the numbers are read as the preview's
    // boxes read them; "on" is one digit per table, 1 for a table that takes part and 0 for one
    // that does not; "at" one position per table, separated by "/".
    void readPreview(std::string_view list) {
        const std::string option = "--preview";
        PreviewTexts& preview = result_.request.preview;
        readKeyValues(option, list, [&](std::string_view keyName, std::string_view value) {
            const std::string key = LowerCase(keyName);
            std::optional<std::string>* text = key == "steps" ? &preview.steps
                                              : key == "top"  ? &preview.top
                                              : key == "bottom" ? &preview.bottom
                                                                : nullptr;
            if (!text && key != "on" && key != "at")
                return fail(option + ": unknown key " + Quoted(keyName) +
                            "; the keys are steps, top, bottom, on, at");
            if (trimmed(value).empty())
                return fail(option + ": " + key + " has no value");
            if (text ? text->has_value() : key == "on" ? preview.on.has_value() : preview.at.has_value())
                return fail(option + ": " + key + " is given twice");
            if (text) {
                *text = std::string(value);
                return;
            }
            if (key == "at") {
                preview.at = readPositions(value);
                if (!preview.at)
                    fail(option + ": at=" + Quoted(value) + " is not one position per table, such as 0/0/0/0");
                return;
            }
            const auto on = readParticipation(value);
            if (!on)
                return fail(option + ": on=" + Quoted(value) +
                            " is not one digit 0 or 1 per table, such as 1111 or 1010");
            preview.on = on;
        });
    }

    // Four texts between slashes, none of them blank.
    static std::optional<std::array<std::string, engine::kTableCount>> readPositions(std::string_view list) {
        std::array<std::string, engine::kTableCount> texts;
        std::size_t start = 0;
        for (std::size_t t = 0; t < texts.size(); ++t) {
            const std::size_t slash = t + 1 < texts.size() ? list.find('/', start) : list.size();
            if (slash == std::string_view::npos)
                return std::nullopt;
            texts[t] = std::string(list.substr(start, slash - start));
            if (trimmed(texts[t]).empty() || texts[t].find('/') != std::string::npos)
                return std::nullopt;
            start = slash + 1;
        }
        return texts;
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

    // Seconds as the boxes read numbers, the whole text a number, finite and not negative.
    void readCheckBudget(std::string_view value) {
        if (result_.request.checkBudget)
            return fail("--check-budget is given twice");
        const engine::LeadingNumber number = engine::ReadLeadingNumber(value);
        if (!number.found || !number.ignored.empty() || !std::isfinite(number.value) || number.value < 0.0)
            return fail("--check-budget: " + Quoted(value) +
                        " is not a number of seconds, such as 2 or 0.5 (0: no limit)");
        result_.request.checkBudget = number.value;
    }

    std::span<const std::string_view> args_;
    std::size_t next_ = 0;
    bool styleGiven_ = false;
    bool optionsEnded_ = false; // after "--" no argument is an option
    std::vector<std::string_view> givenDialectValues_;
    ParsedCommandLine result_;
};

const std::array<Reader::DialectValueOption, 7> Reader::kDialectValueOptions{{
    {"--label", "a label prefix, such as sin", Takes::Labels,
     "the styles c and asm name their tables SinTab1 to SinTab4", &Reader::readLabel},
    {"--tables", "table numbers, such as 1,3", Takes::AnyDialect, "the styles c and asm write the four tables",
     &Reader::readTables},
    {"--names", "one label per table, such as xsin,ysin", Takes::Labels,
     "the styles c and asm name their tables SinTab1 to SinTab4", &Reader::readNames},
    {"--form", "bytes or words", Takes::AnyDialect, "the styles c and asm write every value as a number",
     &Reader::readForm},
    {"--align", "a power of two up to 256", Takes::AnyDialect, "the styles c and asm have no alignment",
     &Reader::readAlign},
    {"--endian", "little or big", Takes::RawBytes, "the styles c and asm write every value as a number",
     &Reader::readEndian},
    {"--load-address", "an address such as $C000, 0xC000 or 49152", Takes::RawBytes, "the styles c and asm are text",
     &Reader::readLoadAddress},
}};

} // namespace

ParsedCommandLine ParseCommandLine(std::span<const std::string_view> args) { return Reader(args).read(); }

std::string StyleNames() { return "c (or 1), asm (or 2), " + exporter::DialectNames(); }

const std::string& TextOf(const TableTexts& texts, TableKey key) { return *texts[slot(key)]; }
bool IsGiven(const TableTexts& texts, TableKey key) { return texts[slot(key)].has_value(); }

} // namespace ondulix::cli
