#pragma once

#include "toolkit/Dialogs.h"

namespace ondulix::exporter {

// Replaces a file on disk as a whole: the new content goes to a temporary file in the same folder,
// which is then renamed over the target, so a reader sees either the old file or the new one and
// never a partial one. On any failure the temporary file is removed and the target is untouched.
// Standard library only; a link is followed, so the file it points to is replaced.
class AtomicFileStore final : public toolkit::FileStore {
public:
    // Returns a short reason ("the folder \"out\" does not exist") when the file was not written.
    std::optional<std::string> replaceFile(const std::string& path, std::string_view bytes) override;
};

} // namespace ondulix::exporter
