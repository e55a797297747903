#!/usr/bin/env bash
# A private desktop for running and testing Quillo: Xvfb with openbox, and optionally a private
# CUPS scheduler with a cups-pdf queue named PDF as its default printer. Everything is started
# in the background, remembered by process id in STATE_DIR/env, and stopped by those ids.
#
#   scripts/desktop-env.sh start STATE_DIR [--with-cups] [--size WxH]   # prints the env file
#   (the screen is 1920x1080x24 unless --size says otherwise)
#   scripts/desktop-env.sh stop STATE_DIR
#
# STATE_DIR/env holds DISPLAY=, CUPS_SERVER= and the pids; source it to use the desktop.
set -euo pipefail

cmd=${1:?usage: desktop-env.sh start|stop STATE_DIR [--with-cups]}
state=${2:?state directory missing}
with_cups=no
size=1920x1080
shift 2
while [ $# -gt 0 ]; do
    case "$1" in
    --with-cups) with_cups=yes ;;
    --size) size=${2:?--size needs WxH}; shift ;;
    *) echo "desktop-env: unknown option $1" >&2; exit 2 ;;
    esac
    shift
done

sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)

stop() {
    [ -f "$state/env" ] || return 0
    # shellcheck disable=SC1091
    . "$state/env"
    for pid in ${CUPSD_PID:-} ${OPENBOX_PID:-} ${XVFB_PID:-}; do
        if [ "$pid" = "${CUPSD_PID:-}" ]; then
            "${sudo[@]}" kill "$pid" 2>/dev/null || true
        else
            kill "$pid" 2>/dev/null || true
        fi
    done
    for pid in ${CUPSD_PID:-} ${OPENBOX_PID:-} ${XVFB_PID:-}; do
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    done
    rm -f "$state/env"
}

free_display() {
    local n
    for n in $(seq 91 140); do
        if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
            echo "$n"
            return
        fi
    done
    echo "desktop-env: no free X display number" >&2
    exit 1
}

start_x() {
    local n log=$state/xvfb.log
    n=$(free_display)
    Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp -noreset >"$log" 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && DISPLAY=":$n" xdpyinfo >/dev/null 2>&1 && break
        kill -0 "$XVFB_PID" 2>/dev/null || { cat "$log" >&2; echo "desktop-env: Xvfb failed" >&2; exit 1; }
        sleep 0.1
    done
    DISPLAY=":$n"
    export DISPLAY
    openbox --sm-disable >"$state/openbox.log" 2>&1 &
    OPENBOX_PID=$!
    # openbox owns the WM_S0 selection once it manages the screen.
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.1
    done
}

start_cups() {
    local d=$state/cups
    mkdir -p "$d"/{spool,cache,state,log}
    # The filters run as lp and must reach the spool below a mktemp (0700) state folder.
    chmod a+x "$state"
    cat >"$d/cups-files.conf" <<CONF
ServerRoot $d
RequestRoot $d/spool
CacheDir $d/cache
StateDir $d/state
TempDir $d/spool
AccessLog $d/log/access_log
ErrorLog $d/log/error_log
PageLog $d/log/page_log
FatalErrors none
CONF
    cat >"$d/cupsd.conf" <<CONF
Listen $d/cups.sock
LogLevel info
WebInterface no
Browsing off
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
    # cups-pdf's backend only runs under a scheduler started as root.
    "${sudo[@]}" cupsd -f -c "$d/cupsd.conf" -s "$d/cups-files.conf" >"$d/log/stdout" 2>&1 &
    CUPSD_PID=$!
    CUPS_SERVER=$d/cups.sock
    export CUPS_SERVER
    for _ in $(seq 100); do
        lpstat -r 2>/dev/null | grep -q 'is running' && break
        sleep 0.1
    done
    local ppd
    ppd=$(ls /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null || ls /usr/share/ppd/cups-pdf/*.ppd | head -n1)
    lpadmin -p PDF -E -v cups-pdf:/ -P "$ppd" 2>/dev/null
    lpadmin -d PDF
    # With sudo, the pid is sudo's; find the scheduler itself so that stopping it is exact.
    if [ ${#sudo[@]} -gt 0 ]; then
        CUPSD_PID=$(pgrep -f -n "cupsd -f -c $d/cupsd.conf" || echo "$CUPSD_PID")
    fi
}

case "$cmd" in
start)
    mkdir -p "$state"
    stop
    XVFB_PID= OPENBOX_PID= CUPSD_PID= CUPS_SERVER=
    start_x
    [ "$with_cups" = yes ] && start_cups
    cat >"$state/env" <<ENV
DISPLAY=$DISPLAY
CUPS_SERVER=${CUPS_SERVER}
XVFB_PID=$XVFB_PID
OPENBOX_PID=$OPENBOX_PID
CUPSD_PID=${CUPSD_PID}
ENV
    echo "$state/env"
    ;;
stop) stop ;;
*) echo "usage: desktop-env.sh start|stop STATE_DIR [--with-cups]" >&2; exit 2 ;;
esac
