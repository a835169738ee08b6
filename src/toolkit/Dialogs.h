#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ondulix::toolkit {

// What the save command asks of the platform's save-file dialog.
struct SaveRequest {
    std::string title;
    std::string proposedName;
    std::string folder;
    std::vector<std::string> filterEntries; // each matches every file
};

struct SaveChoice {
    std::string path;
    int filterIndex = 1; // 1-based entry of SaveRequest::filterEntries
};

class SaveDialog {
public:
    virtual ~SaveDialog() = default;
    // Modal. Returns nothing when the user cancels.
    virtual std::optional<SaveChoice> askForFile(const SaveRequest& request) = 0;
};

class MessageBox {
public:
    virtual ~MessageBox() = default;
    // Modal, a single OK button and no icon.
    virtual void show(std::string_view title, std::string_view text) = 0;
};

// Ends the reason of the one failure that cannot keep the old file: a write in place that broke
// off part way.
inline constexpr std::string_view kFileLeftIncomplete = "the file is now incomplete";

// Replaces a file's content as a whole: on any failure the old file stays as it was, unless the
// reason ends with kFileLeftIncomplete.
class FileStore {
public:
    virtual ~FileStore() = default;
    // Returns the reason when the file could not be written, nothing on success.
    virtual std::optional<std::string> replaceFile(const std::string& path, std::string_view bytes) = 0;
};

} // namespace ondulix::toolkit
