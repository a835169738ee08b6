#include "cli/GivenTables.h"

#include "engine/AmplitudeForms.h"
#include "engine/Defaults.h"
#include "engine/TableGenerator.h"

#include <algorithm>

namespace ondulix::cli {
namespace {

bool anyGiven(const TableTexts& texts, bool (*form)(TableKey)) {
    return std::any_of(kTableKeys.begin(), kTableKeys.end(),
                       [&](TableKey key) { return form(key) && IsGiven(texts, key); });
}

} // namespace

GivenTables TablesFromTexts(const std::array<TableTexts, engine::kTableCount>& tables) {
    GivenTables given;
    engine::TableSet& set = given.set;
    engine::ApplyDefaults(set);
    for (int i = 0; i < engine::kTableCount; ++i) {
        engine::TableParams& params = set.table(i);
        engine::OriginRangeFromMinMax(params);

        const TableTexts& texts = tables[static_cast<std::size_t>(i)];
        for (const TableKey key : kTableKeys) {
            if (!IsGiven(texts, key))
                continue;
            const std::string& text = TextOf(texts, key);
            const std::int32_t stored = engine::ReadField(key, text).stored;
            params.*engine::RuleOf(key).member = stored;
            if (auto note = NoteFor(i, key, text, stored))
                given.notes.push_back(std::move(*note));
        }
        // The form given is the source of the other one, as when its boxes are edited.
        if (anyGiven(texts, IsBoundsKey))
            engine::OriginRangeFromMinMax(params);
        else if (anyGiven(texts, IsCentreKey))
            engine::MinMaxFromOriginRange(params);

        engine::ComputeTable(set, i);
    }
    return given;
}

} // namespace ondulix::cli
