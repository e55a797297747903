#!/usr/bin/env bash
# Runs every test: the pure ones with the offscreen platform, the desktop ones under a private
# Xvfb + openbox + CUPS started here and stopped again however the run ends.
set -euo pipefail
build=${1:-build}
state=$(mktemp -d /tmp/quillo-test.XXXXXX)
trap 'scripts/desktop-env.sh stop "$state"; rm -rf "$state"' EXIT
env_file=$(scripts/desktop-env.sh start "$state" --with-cups)
set -a
# shellcheck disable=SC1090
. "$env_file"
set +a
# Tests must never touch the user's own folders.
export XDG_DATA_HOME=$state/data XDG_CONFIG_HOME=$state/config XDG_CACHE_HOME=$state/cache
export XDG_RUNTIME_DIR=$state/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export QUILLO_TEST_STATE_DIR=$state
echo "run-tests: desktop on $DISPLAY, printers through $CUPS_SERVER"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
