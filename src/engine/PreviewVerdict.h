#pragma once

#include "engine/PreviewView.h"
#include "engine/SumRange.h"

#include <optional>
#include <string>

namespace ondulix::engine {

// Which edges the preview's sum passes in some frame of its cycle, as the frame's two "peak"
// markers would show: a sum past the top edge lights lblpeakhigh, one past the bottom edge (and
// not past the top one, which the frame tests first) lights lblpeaklow. The range decides it
// whole: a sum past an edge exists exactly when an extreme is past it.
struct EdgesPassed {
    bool top = false;
    bool bottom = false;

    bool any() const { return top || bottom; }
    friend bool operator==(const EdgesPassed&, const EdgesPassed&) = default;
};

// Against the edges as their boxes show them; nothing is passed where no column is drawn.
EdgesPassed EdgesPassedBy(const std::optional<SumRange>& range, const PreviewView& view);

// Whether the preview's sum ever leaves its bounds, in the words the window's preview tooltip
// and ondulix-export --check share:
//   "The sum stays within -512 to 512 in every frame."
//   "The sum leaves -512 to 512: it passes the top edge."
std::string VerdictLine(const EdgesPassed& passed, const PreviewView& view);

// "It runs from -281 to 281." ("There is no column to sum." when the preview draws none.)
std::string SumRangeLine(const std::optional<SumRange>& range);

// The two lines together: the preview picture's tooltip.
std::string PreviewToolTip(const std::optional<SumRange>& range, const PreviewView& view);

// "-512 to 512": the bounds as the preview's boxes show them, top first.
std::string BoundsText(const PreviewView& view);

} // namespace ondulix::engine
