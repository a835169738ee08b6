#pragma once

#include "toolkit/Dialogs.h"

namespace ondulix::exporter {

// The one writer of exported files, for the window and the command line alike. Replaces a file
// as a whole: the new content goes to a temporary file in the same folder, is forced to the disk,
// and is then renamed over the target, so a reader sees either the old file or the new one, also
// after a crash. On any failure the temporary file is removed and the target is untouched.
//
// A folder that takes no new file (one the user may not write to) can still hold a file the user
// may write. Such a file is written in place, as a plain write would: the room is reserved first,
// so that a full disk leaves it as it was, but a write cut off part way (a crash, a failing disk)
// leaves it incomplete, and the reason then ends with toolkit::kFileLeftIncomplete.
// A link is followed, so the file it points to is replaced. POSIX.
class AtomicFileStore final : public toolkit::FileStore {
public:
    // Returns a short reason ("the folder \"out\" does not exist", "Permission denied") when the
    // file was not written.
    std::optional<std::string> replaceFile(const std::string& path, std::string_view bytes) override;
};

} // namespace ondulix::exporter
