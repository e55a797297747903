#!/usr/bin/env bash
# Runs the benchmarks on private X servers of 1920x1080 and 3840x2160.
set -euo pipefail
build=${1:-build}
for size in 1920x1080 3840x2160; do
    state=$(mktemp -d /tmp/quillo-bench.XXXXXX)
    env_file=$(scripts/desktop-env.sh start "$state" --size "$size")
    (
        set -a
        # shellcheck disable=SC1090
        . "$env_file"
        set +a
        export XDG_DATA_HOME=$state/data XDG_RUNTIME_DIR=$state/runtime
        mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
        for b in "$build"/bench/bench_*; do
            if [ -f "$b" ] && [ -x "$b" ]; then "$b"; fi
        done
    ) || status=$?
    scripts/desktop-env.sh stop "$state"
    rm -rf "$state"
    [ "${status:-0}" -eq 0 ] || exit "$status"
done
