// ondulix-export: the window's tables from the command line, for Makefiles and build scripts.

#include "cli/ExportCommand.h"
#include "export/AtomicFileStore.h"

#include <iostream>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    // The file's CR LF line ends must reach standard output unchanged.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    ondulix::exporter::AtomicFileStore store(ondulix::exporter::AtomicFileStore::SpecialTargets::WriteInto);
#ifdef _WIN32
    const bool errIsTerminal = _isatty(_fileno(stderr)) != 0;
#else
    const bool errIsTerminal = isatty(STDERR_FILENO) == 1;
#endif
    return ondulix::cli::RunExportCommand(args, std::cout, std::cerr, store, {.errIsTerminal = errIsTerminal});
}
