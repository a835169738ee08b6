#include "export/SaveCommand.h"

#include "engine/MessageText.h"
#include "export/Dialect.h"
#include "export/DialectFile.h"

namespace ondulix::exporter {

SaveOutcome RunSaveCommand(toolkit::SaveDialog& dialog, toolkit::FileStore& store, const engine::TableSet& set,
                           const std::string& programFolder) {
    // The dialog is set up afresh on every click: the proposal is always "sinus" in the
    // program's folder, whatever was saved before.
    toolkit::SaveRequest request;
    request.title = kSaveDialogTitle;
    request.proposedName = kProposedFileName;
    request.folder = programFolder;
    request.filterEntries = SaveFilterEntries();

    const auto choice = dialog.askForFile(request);
    if (!choice)
        return {};

    // The file follows the filter entry, never the name typed: the C array and TassC64 styles
    // first, then the dialects; an entry the dialog should not return falls back to the C arrays.
    const std::span<const Dialect> dialects = Dialects();
    const auto dialect = static_cast<std::size_t>(choice->filterIndex - kFirstDialectEntry);
    const std::string text =
        choice->filterIndex >= kFirstDialectEntry && dialect < dialects.size()
            ? WriteDialectFile(set, dialects[dialect], DialectOptions{}).text
            : WriteTableFile(set, choice->filterIndex == 2 ? ExportStyle::AssemblerBytes : ExportStyle::CArrays);

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

std::vector<std::string> SaveFilterEntries() {
    std::vector<std::string> entries{std::string(kCArraysFilter), std::string(kAssemblerBytesFilter)};
    for (const Dialect& dialect : Dialects())
        entries.emplace_back(dialect.description);
    return entries;
}

std::string SaveFailureMessage(const SaveOutcome& outcome) {
    std::string message =
        "The tables could not be saved to\r\n" + engine::ShortenedPath(outcome.path) + "\r\n\r\n" + outcome.reason;
    // Only a write in place that broke off part way can have changed the file, and its reason
    // already says so.
    if (!outcome.reason.ends_with(toolkit::kFileLeftIncomplete))
        message += "\r\n\r\nAny file that was there is unchanged.";
    return message;
}

} // namespace ondulix::exporter
