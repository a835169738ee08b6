#pragma once

#include "engine/TableSet.h"

namespace ondulix::engine {

// The window-side steps of bringing a table up at start-up: writing its parameters into the boxes,
// and computing it together with its plot.
class StartUpSteps {
public:
    virtual ~StartUpSteps() = default;
    virtual void ShowTableParams(int table) = 0;
    virtual void CalcTable(int table) = 0;
};

// Sets the defaults, then brings the tables up one after the other: derive the centre form,
// show the parameters, compute and plot. Reads no text box.
void InitialiseTableSet(TableSet& set, StartUpSteps& steps);

} // namespace ondulix::engine
