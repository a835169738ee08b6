#include "export/DataForm.h"

#include <algorithm>

namespace ondulix::exporter {
namespace {

// TraitsOf indexes the table by the form.
constexpr bool tableFollowsTheEnum() {
    for (std::size_t i = 0; i < kDataForms.size(); ++i)
        if (kDataForms[i].form != static_cast<DataForm>(i))
            return false;
    return true;
}
static_assert(tableFollowsTheEnum(), "kDataForms must list the forms in the order of DataForm");

} // namespace

const DataFormTraits& TraitsOf(DataForm form) { return kDataForms[static_cast<std::size_t>(form)]; }

bool IsByteForm(DataForm form) { return TraitsOf(form).bytesPerEntry == 1; }

std::span<const std::int32_t> WrittenEntries(const engine::TableSet& set, int table) {
    const engine::TableParams& t = set.tables[static_cast<std::size_t>(table)];
    return set.values.row(table).subspan(1, static_cast<std::size_t>(std::clamp(t.Length, 0, engine::kMaxLength)));
}

std::optional<DataForm> NarrowestForm(std::span<const std::int32_t> entries) { return FormFor(entries, std::nullopt); }

std::optional<DataForm> FormFor(std::span<const std::int32_t> entries, std::optional<FormChoice> choice) {
    const auto chosen = [&](const DataFormTraits& traits) {
        return !choice || IsByteForm(traits.form) == (*choice == FormChoice::Bytes);
    };
    const auto [lowest, highest] = std::minmax_element(entries.begin(), entries.end());
    for (const DataFormTraits& traits : kDataForms)
        if (chosen(traits) && (entries.empty() || (*lowest >= traits.lowest && *highest <= traits.highest)))
            return traits.form;
    return std::nullopt;
}

} // namespace ondulix::exporter
