#!/usr/bin/env bash
# Installs Quillo's Debian package into a fresh Debian 12 (bookworm, minbase) made with
# debootstrap, the way a user would (`apt-get install ./quillo_<version>_<arch>.deb`, with the
# recommends apt installs by default), then runs the installed program there: --version, --help,
# and a command without a display, which must fail with a message instead of hanging or crashing.
#
# Usage: scripts/check-deb-fresh.sh [OPTIONS] DEB|BUILD_DIR
#   DEB              a quillo_<version>_<arch>.deb
#   BUILD_DIR        a configured and built tree, packed here with cpack first
# Options:
#   --cache-dir DIR  keeps the pristine root as a tarball, so later runs skip debootstrap
#                    (default ${XDG_CACHE_HOME:-$HOME/.cache}/quillo-debootstrap)
#   --no-cache       debootstrap every time and keep nothing
#   --refresh-cache  debootstrap again and replace the cached root
#   --mirror URL     the Debian mirror (default: the host's own Debian mirror, else deb.debian.org)
#   --keep           keep the root that was used, for a look inside afterwards
#
# Needs root for debootstrap, chroot and mounts, and asks sudo for it otherwise; installs
# debootstrap when it is missing. Every mount is made in a private mount namespace that ends
# with this script, so no mount can outlive it, not even after a kill.

# dpkg-query formats and `sh -c` scripts are single-quoted on purpose: dpkg-query or the shell
# in the root expands them.
# shellcheck disable=SC2016
set -euo pipefail

suite=bookworm
script=$(readlink -f "${BASH_SOURCE[0]}")

die() {
    echo "check-deb-fresh: FAIL: $*" >&2
    exit 1
}
note() { echo "check-deb-fresh: $*"; }

now_ms() {
    local us=${EPOCHREALTIME/./}
    echo $((10#$us / 1000))
}
secs() { printf '%d.%02ds' $(($1 / 1000)) $(($1 % 1000 / 10)); }

timed() { # timed NAME LOG COMMAND...: runs COMMAND with its output in LOG and records its time
    local name=$1 log=$2 t0 ms rc=0
    shift 2
    t0=$(now_ms)
    # In the background, so that INT and TERM reach their traps at once and not only when a long
    # step (debootstrap, apt) has ended; the traps stop the step.
    "$@" >"$log" 2>&1 &
    step_pid=$!
    wait "$step_pid" || rc=$?
    step_pid=
    ms=$(($(now_ms) - t0))
    printf '%s\t%s\n' "$name" "$ms" >>"$timings"
    if [ "$rc" -ne 0 ]; then
        printf 'check-deb-fresh: %-40s %8s  failed (exit %s)\n' "$name" "$(secs "$ms")" "$rc"
        echo "--- last lines of ${log##*/}:" >&2
        tail -n 40 "$log" >&2
        die "$name failed"
    fi
    printf 'check-deb-fresh: %-40s %8s\n' "$name" "$(secs "$ms")"
}

step_pid=
stop_step() { # kills the step still running, if any: unshare passes the kill on to its namespace
    if [ -n "$step_pid" ] && kill -0 "$step_pid" 2>/dev/null; then
        kill -KILL "$step_pid" 2>/dev/null || true
        wait "$step_pid" 2>/dev/null || true
    fi
    step_pid=
}

processes_in() { # processes_in ROOT: the processes chrooted into ROOT
    local p
    for p in /proc/[0-9]*; do
        [ "$(readlink "$p/root" 2>/dev/null)" != "$1" ] || echo "${p#/proc/}"
    done
}

mounts_under() { # mounts_under DIR: lists the mount points at or below DIR in this namespace
    awk -v d="$1" '$5 == d || index($5, d "/") == 1 { print $5 }' /proc/self/mountinfo
}

chroot_env=(env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root
            LANG=C.UTF-8 TERM=dumb DEBIAN_FRONTEND=noninteractive)

# --- inside the private mount and PID namespaces ----------------------------------------------
# The first process of a new PID namespace: every process started in the root, daemons included,
# is killed when it ends, and the namespace's mounts go with it.
inside() {
    local root=$1 work=$2 debname=$3 version=$4
    timings=$work/timings
    local logs=$work/logs rc out
    mounted=()
    # A global: the EXIT trap runs after this function's locals are gone.
    inside_root=$root
    trap 'inside_cleanup "$inside_root"' EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM

    # Fresh instances, not the host's: a proc of this PID namespace, a devpts of its own (apt
    # logs the maintainer scripts' terminal output through a pseudo-terminal), and the few device
    # nodes apt and dpkg write to, bound one by one only if debootstrap could not make them.
    mount -t proc proc "$root/proc"
    mounted+=("$root/proc")
    mount -t devpts -o newinstance,ptmxmode=0666,mode=0620 devpts "$root/dev/pts"
    mounted+=("$root/dev/pts")
    local n
    for n in null zero full random urandom tty; do
        [ -c "$root/dev/$n" ] && continue
        rm -f "$root/dev/$n"
        : >"$root/dev/$n"
        mount --bind "/dev/$n" "$root/dev/$n"
        mounted+=("$root/dev/$n")
    done

    timed "apt-get update" "$logs/apt-update.log" \
        chroot "$root" "${chroot_env[@]}" apt-get update --error-on=any
    # Exactly what a user types, in the folder that holds the package.
    timed "apt-get install ./$debname" "$logs/apt-install.log" \
        chroot "$root" "${chroot_env[@]}" sh -c 'cd /tmp && exec apt-get install -y "./$1"' sh "$debname"
    grep -E '^[0-9]+ upgraded, |^After this operation' "$logs/apt-install.log" | sed 's/^/  apt: /'

    local t0
    t0=$(now_ms)
    local status
    status=$(chroot "$root" dpkg-query -W -f='${Status} ${Version} ${Installed-Size}' quillo 2>&1) ||
        die "dpkg does not know quillo after the install: $status"
    [[ $status == "install ok installed "* ]] || die "quillo is not installed: $status"
    read -r _ _ _ _ installed_kib <<<"$status"
    note "installed: quillo $(cut -d' ' -f4 <<<"$status"), Installed-Size ${installed_kib} KiB"
    out=$(chroot "$root" dpkg --audit 2>&1) || true
    [ -z "$out" ] || die "dpkg --audit reports half-installed packages: $out"
    note "packages in the root: $(chroot "$root" dpkg-query -W -f='.\n' | wc -l), root size $(du -sxm "$root" | cut -f1) MiB"

    # Each package of Depends (first choice of an alternative), as installed.
    local depends dep name
    depends=$(chroot "$root" dpkg-query -W -f='${Depends}' quillo)
    note "Depends: $depends"
    IFS=',' read -ra deps <<<"$depends"
    for dep in "${deps[@]}"; do
        name=$(sed 's/^ *//; s/[ |(].*//' <<<"$dep")
        status=$(chroot "$root" dpkg-query -W -f='${Status} ${Version}' "$name" 2>&1) || status="not installed"
        [[ $status == "install ok installed "* ]] || die "dependency $name: $status"
        printf '  %-24s %s\n' "$name" "${status##* }"
    done

    # Libraries: the program's, and those of the Qt plugins it loads at run time (the xcb
    # platform, printing through CUPS, the desktop theme apt recommends).
    out=$(chroot "$root" ldd /usr/bin/quillo 2>&1) || die "ldd /usr/bin/quillo: $out"
    ! grep -q 'not found' <<<"$out" || die "unresolved libraries of /usr/bin/quillo: $(grep 'not found' <<<"$out")"
    local plugin plugins=() wanted
    for wanted in platforms/libqxcb.so printsupport/libcupsprintersupport.so; do
        compgen -G "$root/usr/lib/*/qt6/plugins/$wanted" >/dev/null || die "no Qt plugin $wanted in the root"
    done
    for plugin in "$root"/usr/lib/*/qt6/plugins/{platforms/libqxcb.so,xcbglintegrations/*.so,printsupport/*.so,platformthemes/*.so}; do
        [ -e "$plugin" ] || continue
        plugins+=("${plugin#"$root"}")
        out=$(chroot "$root" ldd "${plugin#"$root"}" 2>&1) || die "ldd ${plugin#"$root"}: $out"
        ! grep -q 'not found' <<<"$out" || die "unresolved libraries of ${plugin#"$root"}: $(grep 'not found' <<<"$out")"
    done
    note "Qt plugins with every library present: ${plugins[*]##*/}"
    note "fonts known to fontconfig: $(chroot "$root" fc-list 2>/dev/null | wc -l)"

    # The program as a user starts it: a login shell's environment, no display, no session bus.
    run_quillo() { # run_quillo ARGS...: sets out and rc
        rc=0
        out=$(chroot "$root" "${chroot_env[@]}" sh -c 'ulimit -c 0; cd /root && exec timeout -k 5 20 quillo "$@"' \
            sh "$@" 2>&1) || rc=$?
    }
    run_quillo --version
    [ "$rc" -eq 0 ] || die "quillo --version exited $rc: $out"
    [ "$out" = "Quillo $version" ] || die "quillo --version printed \"$out\", not \"Quillo $version\""
    note "quillo --version: $out"
    run_quillo --help
    [ "$rc" -eq 0 ] || die "quillo --help exited $rc: $out"
    if ! grep -q '^Usage: quillo' <<<"$out" || ! grep -q -- '--version' <<<"$out"; then
        die "quillo --help does not show the usage: $out"
    fi
    note "quillo --help: $(wc -l <<<"$out") lines, first: $(head -n1 <<<"$out")"
    printf '%s\t%s\n' "checks in the root" "$(($(now_ms) - t0))" >>"$timings"

    t0=$(now_ms)
    run_quillo print
    printf '%s\t%s\n' "quillo print, no display" "$(($(now_ms) - t0))" >>"$timings"
    note "quillo print without a display: exit $rc after $(secs $(($(now_ms) - t0))), output:"
    printf '  | %s\n' "${out//$'\n'/$'\n'  | }"
    if grep -q 'Could not find the Qt platform plugin' <<<"$out"; then
        die "the xcb platform plugin is not installed: quillo print said: $out"
    elif [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then
        die "quillo print without a display hung: still running after 20 s"
    elif [ "$rc" -gt 128 ]; then
        die "quillo print without a display crashed: killed by SIG$(kill -l $((rc - 128))) (exit $rc) instead of exiting with an error; with core dumps on this leaves a core file"
    elif [ "$rc" -eq 0 ]; then
        die "quillo print without a display exited 0"
    elif [ -z "$out" ]; then
        die "quillo print without a display exited $rc without a word"
    fi
    note "quillo print without a display fails cleanly"
}

inside_cleanup() {
    local rc=$? root=$1 i
    stop_step
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}" || rc=1
    done
    if [ -n "$(mounts_under "$root")" ]; then
        echo "check-deb-fresh: FAIL: still mounted in the root: $(mounts_under "$root" | tr '\n' ' ')" >&2
        rc=1
    fi
    exit "$rc"
}

if [ "${1:-}" = __inside ]; then
    shift
    inside "$@"
    exit 0
fi

# --- on the host --------------------------------------------------------------------------------
cache_dir=${XDG_CACHE_HOME:-$HOME/.cache}/quillo-debootstrap
use_cache=1
refresh=0
keep=0
mirror=
input=
while [ $# -gt 0 ]; do
    case $1 in
    --cache-dir) cache_dir=${2:?--cache-dir needs a folder}; shift ;;
    --no-cache) use_cache=0 ;;
    --refresh-cache) refresh=1 ;;
    --mirror) mirror=${2:?--mirror needs a URL}; shift ;;
    --keep) keep=1 ;;
    -h | --help) sed -n '2,/^$/{/^$/d;s/^# \{0,1\}//;p}' "$script"; exit 0 ;;
    -*) die "unknown option $1 (see --help)" ;;
    *) [ -z "$input" ] || die "one package or build folder, not \"$input\" and \"$1\""; input=$1 ;;
    esac
    shift
done
[ -n "$input" ] || die "no package or build folder given (see --help)"
input=$(readlink -f "$input")

if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || die "needs root (debootstrap, chroot, mounts), and there is no sudo"
    note "debootstrap, chroot and mounts need root: asking sudo"
    args=(--cache-dir "$cache_dir")
    [ "$use_cache" -eq 1 ] || args+=(--no-cache)
    [ "$refresh" -eq 0 ] || args+=(--refresh-cache)
    [ -z "$mirror" ] || args+=(--mirror "$mirror")
    [ "$keep" -eq 0 ] || args+=(--keep)
    exec sudo -- "$BASH" "$script" "${args[@]}" "$input"
fi

debname=$(basename "$input")
work=$(mktemp -d "${TMPDIR:-/tmp}/quillo-deb-fresh.XXXXXX")
root=$work/root
timings=$work/timings
mkdir "$work/logs"
: >"$timings"

cleanup() {
    local rc=$? t0 left i
    trap - EXIT INT TERM
    t0=$(now_ms)
    stop_step
    # A killed namespace takes its processes with it, but not in the same instant.
    for ((i = 0; i < 50; i++)); do
        [ -n "$(processes_in "$root")" ] || break
        sleep 0.2
    done
    times=$(times_table)
    left=$(mounts_under "$work")
    if [ -n "$(processes_in "$root")" ]; then
        echo "check-deb-fresh: FAIL: processes still run in $root, not deleting it: $(processes_in "$root" | tr '\n' ' ')" >&2
        rc=1
    elif [ -n "$left" ]; then
        # Never delete through a mount: the root would take the host's /dev or /proc with it.
        echo "check-deb-fresh: FAIL: mounts left under $work, not deleting it: $left" >&2
        rc=1
    elif [ "$keep" -eq 1 ]; then
        note "kept the root: $root (delete with: rm -rf --one-file-system $work)"
    else
        rm -rf --one-file-system "$work"
    fi
    echo "check-deb-fresh: times:"
    echo "$times"
    printf '  %-40s %8s\n' "cleanup" "$(secs $(($(now_ms) - t0)))"
    if [ "$rc" -eq 130 ] || [ "$rc" -eq 143 ]; then
        echo "check-deb-fresh: interrupted" >&2
    elif [ "$rc" -eq 0 ]; then
        note "PASS: $debname installs on a fresh Debian 12 and runs"
    elif [ "$keep" -eq 1 ] || [ -n "$left" ]; then
        echo "check-deb-fresh: FAIL (exit $rc); logs in $work/logs" >&2
    else
        echo "check-deb-fresh: FAIL (exit $rc)" >&2
    fi
    exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

times_table() {
    [ -s "$timings" ] || return 0
    awk -F'\t' '{ printf "  %-40s %6d.%02ds\n", $1, $2 / 1000, ($2 % 1000) / 10; total += $2 }
        END { printf "  %-40s %6d.%02ds", "total, without cleanup", total / 1000, (total % 1000) / 10 }' "$timings"
}

# Tools. The host's packages are installed like scripts/install-deps.sh does it.
missing=()
command -v debootstrap >/dev/null || missing+=(debootstrap)
[ -f /usr/share/keyrings/debian-archive-keyring.gpg ] || missing+=(debian-archive-keyring)
if [ ${#missing[@]} -gt 0 ]; then
    note "installing ${missing[*]}"
    timed "install ${missing[*]}" "$work/logs/install-tools.log" \
        sh -c 'apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@"' \
        sh "${missing[@]}"
fi
for tool in unshare chroot dpkg-deb tar; do
    command -v "$tool" >/dev/null || die "$tool is missing"
done

# --- the package ------------------------------------------------------------------------------
if [ -d "$input" ]; then
    [ -f "$input/CPackConfig.cmake" ] || die "$input is not a configured build folder (no CPackConfig.cmake)"
    generator=$(sed -n 's/^CMAKE_GENERATOR:INTERNAL=//p' "$input/CMakeCache.txt")
    # As tests/install/test_install.sh does: a generator named here has no preinstall step, so
    # cpack packs what is built instead of building every test and benchmark first.
    timed "cpack" "$work/logs/cpack.log" \
        env -C "$work" cpack -G DEB --config "$input/CPackConfig.cmake" -B "$work/pkg" \
        -D "CPACK_CMAKE_GENERATOR=${generator:-Unix Makefiles}"
    debs=("$work"/pkg/quillo_*.deb)
    [ -f "${debs[0]}" ] || die "cpack made no quillo_*.deb: $(ls "$work/pkg")"
    deb=${debs[0]}
elif [ -f "$input" ]; then
    deb=$input
else
    die "$input: no such package or build folder"
fi
dpkg-deb --info "$deb" >/dev/null 2>&1 || die "$deb is not a Debian package"
version=$(dpkg-deb -f "$deb" Version)
arch=$(dpkg-deb -f "$deb" Architecture)
[ "$arch" != all ] || arch=$(dpkg --print-architecture)
note "package: $deb"
note "  Version: $version, Architecture: $arch, Installed-Size: $(dpkg-deb -f "$deb" Installed-Size) KiB, file $(($(stat -c %s "$deb") / 1024)) KiB"
note "  Depends: $(dpkg-deb -f "$deb" Depends)"
recommends=$(dpkg-deb -f "$deb" Recommends)
[ -z "$recommends" ] || note "  Recommends: $recommends"

# --- a pristine Debian 12 ---------------------------------------------------------------------
host_uri() { # host_uri REGEX: the first URI of the host's apt sources that matches REGEX
    {
        grep -hs '^[[:space:]]*deb[[:space:]]' /etc/apt/sources.list /etc/apt/sources.list.d/*.list |
            awk '{ for (i = 2; i <= NF; i++) if ($i ~ /^[a-z+]+:\/\//) { print $i; break } }'
        grep -hsi '^URIs:' /etc/apt/sources.list.d/*.sources | sed 's/^[^:]*:[[:space:]]*//' | tr ' ' '\n'
    } | grep -E "$1" | head -n1 || true
}
mirror=${mirror:-$(host_uri '/debian/?$')}
mirror=${mirror:-http://deb.debian.org/debian}
security=$(host_uri '/debian-security/?$')
security=${security:-http://deb.debian.org/debian-security}
note "mirrors: $mirror, $security"

tarball=$cache_dir/$suite-minbase-$arch.tar
if command -v zstd >/dev/null; then
    tarball+=.zst
    compress=(-I 'zstd -T0 -3')
else
    tarball+=.gz
    compress=(-z)
fi
mkdir "$root"
if [ "$use_cache" -eq 1 ] && [ "$refresh" -eq 0 ] && [ -f "$tarball" ]; then
    note "reusing the pristine root in $tarball, made $(date -r "$tarball" '+%Y-%m-%d %H:%M')"
    timed "unpack the cached root" "$work/logs/unpack.log" \
        tar "${compress[@]}" --numeric-owner -xpf "$tarball" -C "$root"
else
    # debootstrap mounts /proc and /sys in the root while it works; in namespaces of its own
    # those mounts, and the programs it starts, end with it even when it is killed.
    timed "debootstrap $suite minbase" "$work/logs/debootstrap.log" \
        unshare --mount --propagation private --pid --fork --kill-child \
        debootstrap --variant=minbase --arch="$arch" \
        --keyring=/usr/share/keyrings/debian-archive-keyring.gpg "$suite" "$root" "$mirror"
    [ -z "$(mounts_under "$root")" ] || die "debootstrap left mounts behind: $(mounts_under "$root")"
    if [ "$use_cache" -eq 1 ]; then
        mkdir -p "$cache_dir"
        timed "save the pristine root" "$work/logs/cache.log" \
            tar "${compress[@]}" --numeric-owner -cf "$tarball.partial" -C "$root" .
        mv -f "$tarball.partial" "$tarball"
        if [ -n "${SUDO_UID:-}" ]; then
            chown "$SUDO_UID:${SUDO_GID:-$SUDO_UID}" "$cache_dir" "$tarball"
        fi
        note "cached the pristine root: $tarball ($(($(stat -c %s "$tarball") / 1048576)) MiB)"
    fi
fi

# What a Debian 12 installation has beyond debootstrap's single line: updates and security.
# The rest is what any chroot needs: a resolver, and no daemons started by maintainer scripts
# (they would run on the host).
cat >"$root/etc/apt/sources.list" <<EOF
deb $mirror $suite main
deb $mirror $suite-updates main
deb $security $suite-security main
EOF
cp -L /etc/resolv.conf "$root/etc/resolv.conf"
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod 755 "$root/usr/sbin/policy-rc.d"
debname=$(basename "$deb")
install -m 644 "$deb" "$root/tmp/$debname"

# --- install and run it -----------------------------------------------------------------------
# Its own steps are timed inside; this only lets a signal here end it at once.
unshare --mount --propagation private --pid --fork --kill-child \
    "$BASH" "$script" __inside "$root" "$work" "$debname" "$version" &
step_pid=$!
wait "$step_pid"
step_pid=
