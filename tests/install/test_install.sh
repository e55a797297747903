#!/usr/bin/env bash
# Installs a built tree into a temporary prefix and packs it as a .deb, then checks that the
# program, its shipped texts, the launcher and the icons land where the program and the desktop
# look for them. Usage: test_install.sh BUILD_DIR SOURCE_DIR
set -euo pipefail

build=$(cd "$1" && pwd)
src=$(cd "$2" && pwd)
tmp=$(mktemp -d /tmp/quillo-install.XXXXXX)
trap 'rm -rf "$tmp"' EXIT

app_id=org.quillo.Quillo
icon_sizes=(16 24 32 48 64 128 256)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
autostart=$(sed -n 's/^QUILLO_INSTALL_AUTOSTART:BOOL=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "no project version in $build/CMakeCache.txt" >&2; exit 1; }

failed=0
checks=0
check() { # check MESSAGE COMMAND...: counts a check, reports it when COMMAND fails
    local message=$1
    shift
    checks=$((checks + 1))
    if ! "$@"; then
        echo "FAIL: $message" >&2
        failed=$((failed + 1))
    fi
}
is_file() { [ -f "$1" ] && [ -s "$1" ]; }
png_is() { # png_is FILE SIZE: the PNG header says SIZE x SIZE
    local w h
    w=$(od -An -j16 -N4 -tx1 "$1" | tr -d ' \n')
    h=$(od -An -j20 -N4 -tx1 "$1" | tr -d ' \n')
    [ "$((16#$w))" -eq "$2" ] && [ "$((16#$h))" -eq "$2" ]
}

# The shipped texts, as the first start copies them: every file of resources/ but hidden ones.
mapfile -t texts < <(cd "$src/resources" && find . -maxdepth 1 -type f ! -name '.*' -printf '%f\n' | sort)
[ ${#texts[@]} -gt 0 ] || { echo "no files in $src/resources" >&2; exit 1; }

# --- cmake --install into a prefix of our own ------------------------------------------------
root=$tmp/root
if ! cmake --install "$build" --prefix "$root" >"$tmp/install.log" 2>&1; then
    cat "$tmp/install.log" >&2
    exit 1
fi

check "bin/quillo is not an executable" test -x "$root/bin/quillo"
# The program looks for its texts in <executable dir>/../share/quillo.
for name in "${texts[@]}"; do
    check "share/quillo/$name is missing or differs from resources/$name" \
        cmp -s "$src/resources/$name" "$root/bin/../share/quillo/$name"
done
installed_texts=$(find "$root/share/quillo" -mindepth 1 2>/dev/null | wc -l || true)
check "share/quillo holds $installed_texts entries, resources/ ${#texts[@]} texts" \
    test "$installed_texts" -eq "${#texts[@]}"

desktop=$root/share/applications/$app_id.desktop
check "no launcher at share/applications/$app_id.desktop" is_file "$desktop"
if command -v desktop-file-validate >/dev/null; then
    # Hints (such as two main categories) are advice; errors and warnings fail.
    problems=$(desktop-file-validate "$desktop" 2>&1 | grep -v ': hint: ' || true)
    check "desktop-file-validate: $problems" test -z "$problems"
else
    echo "SKIP: desktop-file-validate not installed (desktop-file-utils)"
fi
check "launcher's Exec does not name the installed program" \
    test -x "$root/bin/$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop" | head -n1)"
check "launcher's Icon is not $app_id" grep -qx "Icon=$app_id" "$desktop"

check "no scalable icon" is_file "$root/share/icons/hicolor/scalable/apps/$app_id.svg"
for n in "${icon_sizes[@]}"; do
    png=$root/share/icons/hicolor/${n}x${n}/apps/$app_id.png
    check "no ${n}x${n} icon" is_file "$png"
    if [ -f "$png" ]; then
        check "${n}x${n} icon is not $n pixels square" png_is "$png" "$n"
    fi
done
check "no share/doc/quillo/LICENSE" cmp -s "$src/LICENSE" "$root/share/doc/quillo/LICENSE"

if [ "$autostart" = ON ]; then
    check "QUILLO_INSTALL_AUTOSTART=ON and no etc/xdg/autostart/$app_id.desktop" \
        cmp -s "$desktop" "$root/etc/xdg/autostart/$app_id.desktop"
else
    check "QUILLO_INSTALL_AUTOSTART is off, yet etc/ was installed" test ! -e "$root/etc"
fi

version_out=$(QT_QPA_PLATFORM=offscreen timeout 20 "$root/bin/quillo" --version 2>&1 || true)
check "quillo --version printed \"$version_out\", not \"Quillo $version\"" \
    test "$version_out" = "Quillo $version"

# --- the Debian package ----------------------------------------------------------------------
# cpack first runs `make preinstall`, which builds every target of the tree (all tests and
# benchmarks), here in the middle of a ctest run. Naming a generator without a preinstall step
# packages what is already built, through the same install rules and package settings.
if ! (cd "$tmp" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/pkg" \
    -D CPACK_CMAKE_GENERATOR=Ninja) >"$tmp/cpack.log" 2>&1; then
    cat "$tmp/cpack.log" >&2
    exit 1
fi
deb=$tmp/pkg/quillo_${version}_$(dpkg --print-architecture).deb
if [ ! -f "$deb" ]; then
    echo "FAIL: no $(basename "$deb"); cpack made: $(ls "$tmp/pkg")" >&2
    exit 1
fi

dpkg-deb -c "$deb" >/dev/null # the archive must be readable at all
dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's#^\./#/#' >"$tmp/contents"
in_deb() { grep -qxF "$1" "$tmp/contents"; }
check "package lacks /usr/bin/quillo" in_deb /usr/bin/quillo
for name in "${texts[@]}"; do
    check "package lacks /usr/share/quillo/$name" in_deb "/usr/share/quillo/$name"
done
check "package lacks the launcher" in_deb "/usr/share/applications/$app_id.desktop"
check "package lacks the scalable icon" in_deb "/usr/share/icons/hicolor/scalable/apps/$app_id.svg"
for n in "${icon_sizes[@]}"; do
    check "package lacks the ${n}x${n} icon" in_deb "/usr/share/icons/hicolor/${n}x${n}/apps/$app_id.png"
done
check "package lacks /usr/share/doc/quillo/copyright" in_deb /usr/share/doc/quillo/copyright
check "package installs outside /usr and /etc: $(grep -v -e '^/usr' -e '^/etc' -e '^/$' "$tmp/contents" | head -3)" \
    test -z "$(grep -v -e '^/usr' -e '^/etc' -e '^/$' "$tmp/contents")"
if [ "$autostart" = ON ]; then
    check "package lacks /etc/xdg/autostart/$app_id.desktop" in_deb "/etc/xdg/autostart/$app_id.desktop"
    check "autostart file is not a conffile" \
        sh -c "dpkg-deb --ctrl-tarfile '$deb' | tar -xO ./conffiles | grep -qx '/etc/xdg/autostart/$app_id.desktop'"
fi

check "package is named $(dpkg-deb -f "$deb" Package), not quillo" test "$(dpkg-deb -f "$deb" Package)" = quillo
check "package version is $(dpkg-deb -f "$deb" Version), not $version" test "$(dpkg-deb -f "$deb" Version)" = "$version"
check "package section is $(dpkg-deb -f "$deb" Section), not utils" test "$(dpkg-deb -f "$deb" Section)" = utils
# dpkg-shlibdeps fills Depends from the libraries the executable links: Qt Widgets is one.
depends=$(dpkg-deb -f "$deb" Depends)
check "Depends \"$depends\" does not name libqt6widgets6" grep -q libqt6widgets6 <<<"$depends"

echo "install: $((checks - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
