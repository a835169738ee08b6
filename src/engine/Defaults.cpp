#include "engine/Defaults.h"

namespace ondulix::engine {

void ApplyDefaults(TableSet& set) {
    set.Pi = kSinglePrecisionPi;
    for (int i = 0; i < kTableCount; ++i) {
        const TableDefaults& d = kTableDefaults[static_cast<std::size_t>(i)];
        TableParams& t = set.tables[static_cast<std::size_t>(i)];
        t.Length = d.Length;
        t.Minimum = d.Minimum;
        t.Maximum = d.Maximum;
        t.Offset = d.Offset;
        t.Periods = d.Periods;
        t.Speed = d.Speed;
    }
}

} // namespace ondulix::engine
