#pragma once

#include "toolkit/Dialogs.h"

namespace ondulix::exporter {

// The one writer of exported files, for the window and the command line alike. POSIX.
//
// A regular file is replaced as a whole: the new content goes to a temporary file in the same
// folder (one without a name where the file system allows, so that a crash leaves nothing
// behind), is forced to the disk and given the old file's owner, group, attributes (ACLs among
// them) and mode, and is then renamed over the target, so a reader sees either the old file or
// the new one, also after a crash. On any failure the target is untouched.
//
// Where a replacement could not be the same file to everyone but its content, the file is written
// in place instead, as a plain write would: a file with more than one name, one whose owner or
// group or attributes a new file cannot be given, one in a folder that takes no new file or
// refuses the rename (a sticky folder). The room is reserved first, so that a full disk leaves it
// as it was, but a write cut off part way (a crash, a failing disk) leaves it incomplete, and the
// reason then ends with toolkit::kFileLeftIncomplete.
//
// Links are followed to the file they end at and stay links; a dangling link creates the file it
// names. Every writer holds a lock on the file while it writes it, so that writers that meet end
// with one whole file.
class AtomicFileStore final : public toolkit::FileStore {
public:
    // What is done with a target that is not a regular file: a device, a pipe, or the file behind
    // one of the process's own descriptors (/dev/stdout).
    enum class SpecialTargets {
        Refuse,    // never wait for a pipe's reader: the window
        WriteInto, // write into it as a shell redirection does, waiting for a pipe's reader
    };

    explicit AtomicFileStore(SpecialTargets special = SpecialTargets::Refuse) : special_(special) {}

    // Returns a short reason ("the folder \"out\" does not exist", "Permission denied") when the
    // file was not written.
    std::optional<std::string> replaceFile(const std::string& path, std::string_view bytes) override;

private:
    SpecialTargets special_;
};

} // namespace ondulix::exporter
