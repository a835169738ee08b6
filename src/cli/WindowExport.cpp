#include "cli/WindowExport.h"

#include "ui/HeadlessWindow.h"

namespace ondulix::cli {

ExportedTables ExportThroughWindow(const std::array<TableTexts, engine::kTableCount>& tables,
                                   exporter::ExportStyle style) {
    ui::HeadlessWindow window;
    window.load();

    ExportedTables result;
    for (std::size_t table = 0; table < tables.size(); ++table) {
        const TableTexts& texts = tables[table];
        for (const TableKey key : kTableKeys)
            if (IsGiven(texts, key))
                ui::HeadlessWindow::pasteOver(BoxRow(window, key)[table], TextOf(texts, key));

        // Judged once the table's last box is in: a later paste re-reads its partner box (both
        // bounds, or origin and range) but stores what that box already shows.
        const engine::TableParams& stored = window.tableSet().tables[table];
        for (const TableKey key : kTableKeys)
            if (IsGiven(texts, key))
                if (auto note = NoteFor(static_cast<int>(table), key, TextOf(texts, key), StoredValue(stored, key)))
                    result.notes.push_back(std::move(*note));
    }

    result.text = window.form().tableFileText(style);
    return result;
}

} // namespace ondulix::cli
