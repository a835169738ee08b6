#pragma once

#include "toolkit/Controls.h"
#include "toolkit/Dialogs.h"
#include "toolkit/Surface.h"
#include "toolkit/TextBox.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ondulix::toolkit {

// In-memory controls that behave as the real toolkit does (synchronous, nested change
// notifications; caret rules; a surface that refuses a zero height): the window without a
// display, for tests and benchmarks.

class MemoryTextBox final : public TextBox {
public:
    explicit MemoryTextBox(std::string text = {}) : text_(std::move(text)) {}

    std::string text() const override { return text_; }
    void setText(std::string_view text) override;
    int caret() const override { return caret_; }
    void setCaret(int position) override;
    void setChangeHandler(ChangeHandler handler) override { handler_ = std::move(handler); }

    // What a user does: select a range (for typing over it) and type or delete at the caret.
    void select(int start, int length);
    void type(std::string_view keys); // each key replaces the selection or inserts at the caret
    void paste(std::string_view text); // the whole text replaces the selection in one edit
    void backspace();
    int selectionLength() const { return selectionLength_; }

private:
    void replaceByUser(std::string text, int caret);

    std::string text_;
    int caret_ = 0;
    int selectionLength_ = 0;
    ChangeHandler handler_;
};

// One drawing operation, as recorded by MemorySurface.
struct DrawOp {
    enum class Kind { Clear, Point, Line };
    Kind kind = Kind::Clear;
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    Colour colour{};
    UserScale scale{}; // the scale in force when the operation was drawn

    friend bool operator==(const DrawOp&, const DrawOp&) = default;
};

class MemorySurface final : public Surface {
public:
    explicit MemorySurface(UserScale initial = {}) : scale_(initial) {}

    UserScale scale() const override { return scale_; }
    void setScale(UserScale scale) override;
    void clear() override;
    void point(float x, float y, Colour colour) override;
    void line(float x1, float y1, float x2, float y2, Colour colour) override;
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

class MemoryCheckBox final : public CheckBox {
public:
    explicit MemoryCheckBox(bool checked = true) : checked_(checked) {}
    bool isChecked() const override { return checked_; }
    void setChecked(bool checked) { checked_ = checked; }

private:
    bool checked_;
};

class MemoryLabel final : public Label {
public:
    explicit MemoryLabel(bool visible = true) : visible_(visible) {}
    bool isVisible() const override { return visible_; }
    void setVisible(bool visible) override { visible_ = visible; }

private:
    bool visible_;
};

class MemoryButton final : public Button {
public:
    void setClickHandler(ClickHandler handler) override { handler_ = std::move(handler); }
    void click() {
        if (handler_)
            handler_();
    }

private:
    ClickHandler handler_;
};

class MemoryTimer final : public Timer {
public:
    void setTickHandler(TickHandler handler) override { handler_ = std::move(handler); }
    void tick() {
        if (handler_)
            handler_();
    }

private:
    TickHandler handler_;
};

// Answers the save dialog from a script: a choice, or cancel when none is set.
class MemorySaveDialog final : public SaveDialog {
public:
    std::optional<SaveChoice> answer;
    std::vector<SaveRequest> requests;

    std::optional<SaveChoice> askForFile(const SaveRequest& request) override {
        requests.push_back(request);
        return answer;
    }
};

class MemoryMessageBox final : public MessageBox {
public:
    struct Shown {
        std::string title;
        std::string text;
    };
    std::vector<Shown> shown;

    void show(std::string_view title, std::string_view text) override {
        shown.push_back({std::string(title), std::string(text)});
    }
};

class MemoryFileStore final : public FileStore {
public:
    std::map<std::string, std::string> files;
    std::optional<std::string> failure; // when set, every write fails with this reason

    std::optional<std::string> replaceFile(const std::string& path, std::string_view bytes) override {
        if (failure)
            return failure;
        files[path] = std::string(bytes);
        return std::nullopt;
    }
};

} // namespace ondulix::toolkit
