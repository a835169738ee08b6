#pragma once

#include "toolkit/Dialogs.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ondulix::toolkit {

// The platform's dialogs and files in memory: each answers from a script and keeps what it was
// asked, so that no test waits on a modal box or touches the disk.

// Answers the save dialog with a choice, or cancels when none is set.
class MemorySaveDialog final : public SaveDialog {
public:
    std::optional<SaveChoice> answer;
    std::vector<SaveRequest> requests;

    std::optional<SaveChoice> askForFile(const SaveRequest& request) override {
        requests.push_back(request);
        return answer;
    }
};

class MemoryMessageBox final : public MessageBox {
public:
    struct Shown {
        std::string title;
        std::string text;
    };
    std::vector<Shown> shown;

    void show(std::string_view title, std::string_view text) override {
        shown.push_back({std::string(title), std::string(text)});
    }
};

class MemoryFileStore final : public FileStore {
public:
    std::map<std::string, std::string> files;
    std::optional<std::string> failure; // when set, every write fails with this reason

    std::optional<std::string> replaceFile(const std::string& path, std::string_view bytes) override {
        if (failure)
            return failure;
        files[path] = std::string(bytes);
        return std::nullopt;
    }
};

} // namespace ondulix::toolkit
