#!/bin/bash
# Static analysis: clang-tidy on the program's sources, with the checks of
# .clang-tidy and every finding an error, and shellcheck on every shell
# script in git. Configures its own build folder for compile_commands.json.
#   tools/lint.sh [build folder]   (default build-lint)
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/lib.sh
tools/install-deps.sh clang-tidy shellcheck git

build=${1:-build-lint}
step "clang-tidy"
cmake -S . -B "$build" -DBUILD_TESTING=OFF >/dev/null
# Its per-file count of the warnings it did not show is left out.
git ls-files 'app/*.cpp' 'core/*.cpp' 'view/*.cpp' 'widgets/*.cpp' 'text/*.cpp' \
    'platform/*.cpp' | xargs -n1 -P2 clang-tidy -p "$build" --quiet 2>&1 |
    sed '/^[0-9]* warnings\? generated\.$/d'

step "shellcheck"
git ls-files '*.sh' '*.sh.in' .ci/run | xargs shellcheck -x
step "clean"
