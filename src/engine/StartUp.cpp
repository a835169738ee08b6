#include "engine/StartUp.h"

#include "engine/AmplitudeForms.h"
#include "engine/Defaults.h"

namespace ondulix::engine {

void InitialiseTableSet(TableSet& set, StartUpSteps& steps) {
    ApplyDefaults(set);
    for (int i = 0; i < kTableCount; ++i) {
        OriginRangeFromMinMax(set.tables[static_cast<std::size_t>(i)]);
        steps.ShowTableParams(i);
        steps.CalcTable(i);
    }
}

} // namespace ondulix::engine
