#!/usr/bin/env bash
# Starts Quillo on $DISPLAY; without a display, on a private Xvfb with openbox.
set -euo pipefail
build=${1:-build}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    state=$(mktemp -d /tmp/quillo-run.XXXXXX)
    trap 'scripts/desktop-env.sh stop "$state"; rm -rf "$state"' EXIT
    env_file=$(scripts/desktop-env.sh start "$state")
    set -a
    # shellcheck disable=SC1090
    . "$env_file"
    set +a
    echo "run: no display found; started a private Xvfb with openbox on $DISPLAY"
fi
"$build/src/quillo"
