# shellcheck shell=bash
# The one place that says how the scripts build Ondulix; sourced (not run) by every script in
# scripts/ and bench/ that builds before it acts. Sourcing it moves to the top of the source tree
# and defines:
#
#     jobs                                   how many jobs the compiler and ctest may run at once
#     build_target DIR TARGET [OPTION...]    install what is missing, configure DIR, build TARGET
#     use_private_runtime_dir                give Qt a runtime folder when the session has none
#
# The functions return the first failure rather than relying on set -e, so a caller without it
# can write `build_target ... || exit 1`.

cd "$(dirname "${BASH_SOURCE[0]}")/../.." || exit 1

jobs=$(nproc 2>/dev/null || echo 2)

# Configures DIR optimised unless the cmake OPTIONs say otherwise (later -D options win), then
# builds TARGET ("all" for everything). Configuring is quiet; its errors still reach stderr.
build_target() {
  local dir=$1 target=$2
  shift 2
  scripts/install-deps || return
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null || return
  cmake --build "$dir" -j "$jobs" --target "$target"
}

# Qt warns on every start when XDG_RUNTIME_DIR is unset (a login over ssh, a container), which
# would clutter a measured table: make a private one, removed when the script ends.
use_private_runtime_dir() {
  [ -n "${XDG_RUNTIME_DIR:-}" ] && return
  XDG_RUNTIME_DIR=$(mktemp -d) || return
  export XDG_RUNTIME_DIR
  trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
}
