#include "engine/Defaults.h"

namespace ondulix::engine {

void ApplyDefaults(TableSet& set) {
    for (int i = 0; i < kTableCount; ++i) {
        const TableDefaults& d = kTableDefaults[static_cast<std::size_t>(i)];
        TableParams& t = set.table(i);
        t.Length = d.Length;
        t.Minimum = d.Minimum;
        t.Maximum = d.Maximum;
        t.Offset = d.Offset;
        t.Periods = d.Periods;
        t.Speed = d.Speed;
    }
}

} // namespace ondulix::engine
