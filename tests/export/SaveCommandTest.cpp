#include "support/HeadlessWindow.h"

#include "export/Dialect.h"
#include "export/DialectFile.h"
#include "export/SaveCommand.h"

#include <gtest/gtest.h>

namespace ondulix::ui {
namespace {

TEST(SaveCommand, DialogIsSetUpAfreshAndTheEntryChoosesTheStyle) {
    HeadlessWindow w;
    w.load();
    w.saveDialog.answer = toolkit::SaveChoice{"/out/tables.c", 2}; // a ".c" name with the assembler entry
    w.logic().onWriteFile();

    ASSERT_EQ(w.saveDialog.requests.size(), 1u);
    const toolkit::SaveRequest& r = w.saveDialog.requests[0];
    EXPECT_EQ(r.title, "Save Tables as ...");
    EXPECT_EQ(r.proposedName, "sinus");
    EXPECT_EQ(r.folder, ".");
    // The C array and TassC64 styles first and in their order, then one entry per dialect, the newer ones after
    // those a user has chosen before, so that every entry keeps its place.
    EXPECT_EQ(r.filterEntries, (std::vector<std::string>{
                                   "Array, AnsiC-Style",
                                   "Bytes, TassC64-Style",
                                   "C99 arrays (stdint.h)",
                                   "6502 data for 64tass",
                                   "6502 data for ACME",
                                   "6502 data for ca65 (cc65)",
                                   "6502 data for dasm",
                                   "6502 data for xa (xa65)",
                                   "Z80 data for Pasmo",
                                   "Z80 data for z80asm",
                                   "Z80 and Game Boy data for sdas (SDCC)",
                                   "68000 data (Motorola syntax)",
                                   "ARM data for GNU as",
                                   "x86 data for NASM",
                                   "Raw binary (little-endian words)",
                               }));
    for (std::size_t i = 0; i < exporter::Dialects().size(); ++i)
        EXPECT_EQ(r.filterEntries[2 + i], exporter::Dialects()[i].description);

    EXPECT_EQ(w.fileStore.files.at("/out/tables.c"), w.logic().tableFileText(exporter::ExportStyle::AssemblerBytes));
    EXPECT_TRUE(w.messageBox.shown.empty()) << "a successful save shows nothing";

    // Saving twice gives the same bytes: the line count starts afresh every time.
    const std::string first = w.fileStore.files.at("/out/tables.c");
    w.logic().onWriteFile();
    EXPECT_EQ(w.fileStore.files.at("/out/tables.c"), first);

    w.saveDialog.answer = toolkit::SaveChoice{"/out/sinus", 1};
    w.logic().onWriteFile();
    EXPECT_EQ(w.fileStore.files.at("/out/sinus"), w.logic().tableFileText(exporter::ExportStyle::CArrays));

    // A dialect's entry writes that dialect, with the default labels.
    for (std::size_t i = 0; i < exporter::Dialects().size(); ++i) {
        w.saveDialog.answer = toolkit::SaveChoice{"/out/sinus", exporter::kFirstDialectEntry + static_cast<int>(i)};
        w.logic().onWriteFile();
        EXPECT_EQ(w.fileStore.files.at("/out/sinus"),
                  exporter::WriteDialectFile(w.tableSet(), exporter::Dialects()[i], {}).text);
    }
}

TEST(SaveCommand, CancelTouchesNothingAndFailuresAreShown) {
    HeadlessWindow w;
    w.load();
    w.saveDialog.answer.reset();
    w.logic().onWriteFile();
    EXPECT_TRUE(w.fileStore.files.empty());
    EXPECT_TRUE(w.messageBox.shown.empty());

    w.saveDialog.answer = toolkit::SaveChoice{"/read-only/sinus", 2};
    w.fileStore.failure = "Permission denied";
    w.logic().onWriteFile();
    ASSERT_EQ(w.messageBox.shown.size(), 1u);
    EXPECT_EQ(w.messageBox.shown[0].title, "Ondulix V1");
    EXPECT_EQ(w.messageBox.shown[0].text,
              "The tables could not be saved to\r\n/read-only/sinus\r\n\r\nPermission denied\r\n\r\n"
              "Any file that was there is unchanged.");
    EXPECT_TRUE(w.fileStore.files.empty());

    // A write in place that broke off has changed the file: the message must not say otherwise.
    w.fileStore.failure = "File too large while writing it in place; the file is now incomplete";
    w.logic().onWriteFile();
    ASSERT_EQ(w.messageBox.shown.size(), 2u);
    EXPECT_EQ(w.messageBox.shown[1].text, "The tables could not be saved to\r\n/read-only/sinus\r\n\r\n" +
                                              *w.fileStore.failure);
}

} // namespace
} // namespace ondulix::ui
