#pragma once

// Runs a piece of a test with the powers of an ordinary user. Permission bits are the subject of
// such a test, and root ignores them, so under root the piece runs in a child process that has
// dropped to the user "nobody"; under any other user it runs right here.

#include <cstdio>
#include <functional>
#include <optional>
#include <string>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ondulix::testing {

inline constexpr uid_t kNobody = 65534;

inline bool runningAsRoot() { return ::geteuid() == 0; }

// Runs `piece` and returns the text it returned, or nothing when the child failed to drop root
// or died. Files the piece should be able to write must belong to kNobody under root.
inline std::optional<std::string> asNormalUser(const std::function<std::string()>& piece) {
    if (!runningAsRoot())
        return piece();
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(2);
        const std::string text = piece();
        const bool sent = ::write(pipeEnds[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
        ::_exit(sent ? 0 : 3);
    }
    ::close(pipeEnds[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeEnds[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return text;
}

// Hands a file to the user that asNormalUser runs as, so that it may write it.
inline void giveToNormalUser(const std::string& path) {
    if (runningAsRoot() && ::chown(path.c_str(), kNobody, kNobody) != 0)
        std::perror(path.c_str());
}

} // namespace ondulix::testing
