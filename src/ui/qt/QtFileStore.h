#pragma once

#include "toolkit/Dialogs.h"

namespace ondulix::ui::qt {

// Replaces a file through QSaveFile: the bytes go to a temporary file beside the target, which
// takes the target's place only once everything is written. On any failure the old file stays
// as it was and the reason comes back in the platform's words.
class QtFileStore final : public toolkit::FileStore {
public:
    std::optional<std::string> replaceFile(const std::string& path, std::string_view bytes) override;
};

} // namespace ondulix::ui::qt
