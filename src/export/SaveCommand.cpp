#include "export/SaveCommand.h"

namespace ondulix::exporter {

SaveOutcome RunSaveCommand(toolkit::SaveDialog& dialog, toolkit::FileStore& store, const engine::TableSet& set,
                           const std::string& programFolder, ExportState state) {
    // The dialog is set up afresh on every click: the proposal is always "sinus" in the
    // program's folder, whatever was saved before.
    toolkit::SaveRequest request;
    request.title = kSaveDialogTitle;
    request.proposedName = kProposedFileName;
    request.folder = programFolder;
    request.filterEntries = {std::string(kCArraysFilter), std::string(kAssemblerBytesFilter)};

    const auto choice = dialog.askForFile(request);
    if (!choice)
        return {};

    // The style follows the filter entry, never the name typed; an entry the dialog should not
    // return falls back to the C arrays.
    state.style = choice->filterIndex == 2 ? ExportStyle::AssemblerBytes : ExportStyle::CArrays;
    state.valuesOnLine = 0;
    std::string text;
    WriteTableFile(text, set, state.style, state.valuesOnLine);

    SaveOutcome outcome;
    outcome.path = choice->path;
    if (auto failure = store.replaceFile(choice->path, text)) {
        outcome.result = SaveOutcome::Result::Failed;
        outcome.reason = std::move(*failure);
    } else {
        outcome.result = SaveOutcome::Result::Saved;
    }
    return outcome;
}

std::string SaveFailureMessage(const SaveOutcome& outcome) {
    std::string message = "The tables could not be saved to\r\n" + outcome.path + "\r\n\r\n" + outcome.reason;
    // Only a write in place that broke off part way can have changed the file, and its reason
    // already says so.
    if (!outcome.reason.ends_with(toolkit::kFileLeftIncomplete))
        message += "\r\n\r\nAny file that was there is unchanged.";
    return message;
}

} // namespace ondulix::exporter
