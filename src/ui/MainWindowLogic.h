#pragma once

#include "display/PreviewFrame.h"
#include "engine/PreviewView.h"
#include "engine/StartUp.h"
#include "engine/TableSet.h"
#include "export/TableFile.h"
#include "ui/FormControls.h"
#include "ui/ParameterInput.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace ondulix::ui {

enum class EditStep : std::uint8_t;
struct ChangeHandler;

// The main window's behaviour, free of any toolkit: it owns the model (the table set and the
// preview's view) and the window's small state, answers the text boxes' change notifications,
// the timer's ticks and the buttons' clicks, and reads and writes the controls only through the
// toolkit interfaces. Whoever builds the controls (the Qt window, or the in-memory one) hands
// them over and runs start() before the window is first shown.
class MainWindowLogic : private engine::StartUpSteps {
public:
    MainWindowLogic(const FormControls& controls, const FormServices& services);
    MainWindowLogic(const MainWindowLogic&) = delete;
    MainWindowLogic& operator=(const MainWindowLogic&) = delete;

    // Start-up: defaults, then for each table derive the centre form, show, compute and plot.
    void start();

    // The buttons' clicks: save the tables to a file, show either information box, quit.
    void onWriteFile();
    void onAboutThis();
    void onAboutUs();
    void onQuit();
    // The window closes, however it was closed: the program ends at once.
    void onClose();

    // One preview frame; the timer's tick.
    void onPreviewTick();

    // The procedures the handlers are made of, public for tests.
    void ShowTableParams(int table) override;
    void CalcTable(int table) override;
    void PreviewFrame();

    // Reports every change notification, by the name of the box that raised it ("txtSinLen" and
    // the table, or "txtPrvXmax" and 0): a handler that starts, one that the guard stops at once,
    // and one that finishes. For diagnostics and for tests of the nesting order.
    enum class HandlerEvent { Started, Ignored, Finished };
    using HandlerTrace = std::function<void(std::string_view box, int table, HandlerEvent event)>;
    void setHandlerTrace(HandlerTrace trace) { trace_ = std::move(trace); }

    const engine::TableSet& tableSet() const { return tableSet_; }
    const engine::PreviewView& previewView() const { return previewView_; }
    bool isRefreshing() const { return Refreshing_; }

    // The file that "write file" would write now, in the given style.
    std::string tableFileText(exporter::ExportStyle style) const;

    // The preview picture's tooltip: whether the sum of the ticked tables stays within the
    // bounds over every frame from here on, and how far it runs. Computed when asked for, at a
    // bounded cost, and again only once a table, a check box, a preview bound or the cycle the
    // positions walk has changed.
    std::string previewToolTip();

private:
    void attachHandlers();
    void runChange(toolkit::TextBox& box, int table, const ChangeHandler& handler);
    void runStep(EditStep step, int table);
    void clearPreview();
    engine::Participation participation() const;

    FormControls controls_;
    FormServices services_;
    engine::TableSet tableSet_;
    engine::PreviewView previewView_;
    display::FrameScratch frameScratch_; // nothing but room, reused by every frame
    ParameterInput input_;
    bool Refreshing_ = false;
    // The parameters each table's entries and plot were last computed from: a table whose
    // parameters are the same again (the outer run of a clamped keystroke, after the nested run
    // computed it) already shows exactly what computing it would show.
    std::array<std::optional<engine::TableParams>, engine::kTableCount> computedFrom_{};
    // The tooltip and what it was computed for. It holds for the whole cycle from the positions
    // it was computed at, so it stands while the frames walk on along that cycle; positions that
    // cannot be reached from those (an edit of a Speed moves the cycle) compute it again.
    struct PreviewVerdictFor {
        std::array<engine::TableParams, engine::kTableCount> tables;
        engine::Participation ticked;
        engine::PreviewScale scale;
        std::array<std::int32_t, engine::kTableCount> positions;
        std::string toolTip;
    };
    std::optional<PreviewVerdictFor> verdict_;
    HandlerTrace trace_;
};

} // namespace ondulix::ui
