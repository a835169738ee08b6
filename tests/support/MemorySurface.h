#pragma once

#include "toolkit/Surface.h"

#include <string>
#include <vector>

namespace ondulix::toolkit {

// One drawing operation, as recorded by MemorySurface.
struct DrawOp {
    enum class Kind { Clear, Point, Line, Wipe };
    Kind kind = Kind::Clear;
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0; // a wipe: its column, from the top edge to the bottom one
    Colour colour{};
    UserScale scale{}; // the scale in force when the operation was drawn

    friend bool operator==(const DrawOp&, const DrawOp&) = default;
};

// A picture box in memory: it records what is drawn on it instead of drawing it, and refuses a
// user scale of zero height as the real one does. Tests assert on the operations since the last
// clear.
class MemorySurface final : public Surface {
public:
    explicit MemorySurface(UserScale initial = {}) : scale_(initial) {}

    UserScale scale() const override { return scale_; }
    void setScale(UserScale scale) override;
    void clear() override;
    void point(float x, float y, Colour colour) override;
    void line(float x1, float y1, float x2, float y2, Colour colour) override;
    void wipeColumn(float x, Colour colour) override;
    void setToolTipSource(ToolTipSource source) override { toolTipSource_ = std::move(source); }

    // What the tooltip would show now, as hovering over the surface asks for it.
    std::string toolTip() const { return toolTipSource_ ? toolTipSource_() : std::string(); }

    // Operations since the last clear (the clear itself included).
    const std::vector<DrawOp>& operations() const { return ops_; }
    int clearCount() const { return clears_; }
    // Long runs (benchmarks, endurance) switch recording off so memory stays flat.
    void setRecording(bool on) { recording_ = on; }
    void forgetOperations() { ops_.clear(); }

private:
    void record(const DrawOp& op);

    UserScale scale_;
    ToolTipSource toolTipSource_;
    std::vector<DrawOp> ops_;
    int clears_ = 0;
    bool recording_ = true;
};

} // namespace ondulix::toolkit
