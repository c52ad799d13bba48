#!/usr/bin/env bash
# Installs a built Parvoline into a scratch folder and packages it as a .deb, then checks what a user
# would get from either: the files and their modes, the desktop entry and AppStream metadata as their
# validators judge them, the icon the menu entry names, the program's library search path, the package's
# dependencies, and that the packaged program runs.
#
#   check_install.sh BUILD_DIR CMAKE CPACK VERSION OFFICE_PROGRAM_DIR
#
# Reads the build folder only. cmake --install and cpack both write install_manifest.txt into it; the one
# that was there before (which a user may need to remove an install) is put back.
set -uo pipefail

if [ $# -ne 5 ]; then
    echo "usage: $0 BUILD_DIR CMAKE CPACK VERSION OFFICE_PROGRAM_DIR" >&2
    exit 2
fi
build=$1
cmake=$2
cpack=$3
version=$4
office_program_dir=$5
id=example.kestravel.Parvoline

scratch=$(mktemp -d) || exit 1
manifest="$build/install_manifest.txt"
had_manifest=false
if [ -e "$manifest" ]; then
    had_manifest=true
    cp -p "$manifest" "$scratch/install_manifest.txt" || exit 1
fi
cleanup() {
    if $had_manifest; then
        cp -p "$scratch/install_manifest.txt" "$manifest"
    else
        rm -f "$manifest"
    fi
    rm -rf "$scratch"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

for tool in desktop-file-validate appstreamcli readelf dpkg dpkg-deb; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/setup installs it)"
done
[ "$failures" -eq 0 ] || exit 1

# Every file a user gets, below the prefix /usr, with its mode.
expected_files() {
    local man=$1
    cat <<EOF
755 bin/parvoline
644 share/applications/$id.desktop
644 share/icons/hicolor/128x128/apps/$id.png
644 share/icons/hicolor/256x256/apps/$id.png
644 share/icons/hicolor/48x48/apps/$id.png
644 share/icons/hicolor/64x64/apps/$id.png
644 share/icons/hicolor/scalable/apps/$id.svg
644 share/man/man1/$man
644 share/metainfo/$id.metainfo.xml
EOF
}

# Reads the width and height of a PNG from its header.
png_size() {
    local bytes
    bytes=$(od -An -tu1 -j16 -N8 "$1" | tr -s ' \n' ' ')
    # shellcheck disable=SC2086
    set -- $bytes
    echo "$(($1 << 24 | $2 << 16 | $3 << 8 | $4))x$(($5 << 24 | $6 << 16 | $7 << 8 | $8))"
}

# Checks the installed tree below ROOT/usr; MAN is the man page's file name there.
check_tree() {
    local where=$1 root=$2 man=$3
    local usr="$root/usr"

    local found expected
    found=$(cd "$usr" 2>/dev/null && find . -type f -printf '%m %P\n' | sort -k2)
    expected=$(expected_files "$man" | sort -k2)
    if [ "$found" != "$expected" ]; then
        fail "$where: the installed files and their modes differ from those expected:"
        diff <(echo "$expected") <(echo "$found") | sed -n 's/^[<>] /    &/p' >&2
    fi

    local program="$usr/bin/parvoline"
    if [ ! -x "$program" ]; then
        fail "$where: $program is missing or not executable"
    else
        local runpath
        runpath=$(readelf -d "$program" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')
        case ":$runpath:" in
        *":$office_program_dir:"*) ;;
        *) fail "$where: the program's RUNPATH ($runpath) does not name $office_program_dir" ;;
        esac
        case ":$runpath:" in
        *":$build"*) fail "$where: the program's RUNPATH ($runpath) names the build folder" ;;
        esac
    fi

    local desktop="$usr/share/applications/$id.desktop"
    if [ -f "$desktop" ]; then
        desktop-file-validate "$desktop" >"$scratch/validate.log" 2>&1 ||
            fail "$where: desktop-file-validate rejects $desktop: $(cat "$scratch/validate.log")"
        local icon exec
        icon=$(sed -n 's/^Icon=//p' "$desktop")
        if [ -z "$icon" ] || ! compgen -G "$usr/share/icons/hicolor/*/apps/$icon.*" >/dev/null; then
            fail "$where: the desktop entry's Icon=$icon names no installed icon"
        fi
        exec=$(sed -n 's/^Exec=//p' "$desktop")
        [ -x "$usr/bin/${exec%% *}" ] || fail "$where: the desktop entry's Exec=$exec names no installed program"
    fi

    local metainfo="$usr/share/metainfo/$id.metainfo.xml"
    if [ -f "$metainfo" ]; then
        appstreamcli validate --no-net "$metainfo" >"$scratch/validate.log" 2>&1 ||
            fail "$where: appstreamcli rejects $metainfo: $(cat "$scratch/validate.log")"
        grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
            fail "$where: the AppStream metadata does not launch $id.desktop"
        grep -q "<release version=\"$version\"" "$metainfo" ||
            fail "$where: the AppStream metadata has no release $version"
    fi

    local size png
    for size in 48 64 128 256; do
        png="$usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
        [ -f "$png" ] || continue
        [ "$(png_size "$png")" = "${size}x${size}" ] ||
            fail "$where: $png is $(png_size "$png"), not ${size}x${size}"
    done

    local page="$usr/share/man/man1/$man"
    if [ -f "$page" ]; then
        zcat -f "$page" | grep -q "^\.TH PARVOLINE 1 .*\"Parvoline $version\"" ||
            fail "$where: the man page's title does not name version $version"
        if command -v groff >/dev/null; then
            local warnings
            warnings=$(zcat -f "$page" | groff -man -Tutf8 -ww -z 2>&1)
            [ -z "$warnings" ] || fail "$where: groff warns about the man page: $warnings"
        else
            echo "note: groff is not installed; the man page is not formatted" >&2
        fi
    fi
}

# 1. cmake --install, as a user or a package build runs it.
if ! DESTDIR="$scratch/install" "$cmake" --install "$build" --prefix /usr >"$scratch/install.log" 2>&1; then
    cat "$scratch/install.log" >&2
    fail "cmake --install failed"
    exit 1
fi
check_tree "cmake --install" "$scratch/install" parvoline.1

# 2. The Debian package.
if ! "$cpack" -G DEB -B "$scratch/package" --config "$build/CPackConfig.cmake" >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log" >&2
    fail "cpack -G DEB failed"
    exit 1
fi
deb="$scratch/package/parvoline_${version}_$(dpkg --print-architecture).deb"
if [ ! -f "$deb" ]; then
    fail "cpack made no $(basename "$deb"); it made: $(cd "$scratch/package" && ls)"
    exit 1
fi

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = parvoline ] || fail "the package is named '$(field Package)', not parvoline"
[ "$(field Version)" = "$version" ] || fail "the package's version is '$(field Version)', not $version"
[ "$(field Section)" = editors ] || fail "the package's section is '$(field Section)', not editors"
[ "$(field Maintainer)" = "Parvoline developers <support@kestravel.example>" ] ||
    fail "the package's maintainer is '$(field Maintainer)'"

# Each relation, without its version, as one line; alternatives stay together ("a | b").
relations() {
    field "$1" | tr ',' '\n' | sed -e 's/([^)]*)//g' -e 's/  */ /g' -e 's/^ //' -e 's/ $//'
}
depends=$(relations Depends)
for wanted in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 libqt6pdf6 \
    libuno-sal3 libuno-cppu3 libuno-cppuhelpergcc3-3 libuno-salhelpergcc3-3 ure libpugixml1v5 fonts-liberation2 \
    "libreoffice-writer-nogui | libreoffice-writer"; do
    grep -qxF "$wanted" <<<"$depends" || fail "the package does not depend on $wanted (Depends: $(field Depends))"
done
for versioned in libc6 libstdc++6; do
    field Depends | grep -qE "(^|, )${versioned//+/\\+} \(>= [^)]+\)" ||
        fail "the package's dependency on $versioned names no lowest version (Depends: $(field Depends))"
done
recommends=$(relations Recommends)
for wanted in fonts-noto-cjk fonts-noto-core fonts-noto-color-emoji; do
    grep -qxF "$wanted" <<<"$recommends" || fail "the package does not recommend $wanted (Recommends: $(field Recommends))"
done

dpkg -x "$deb" "$scratch/root" || {
    fail "dpkg -x cannot unpack $deb"
    exit 1
}
check_tree "the package" "$scratch/root" parvoline.1.gz

# The packaged program answers without a display.
if [ -x "$scratch/root/usr/bin/parvoline" ]; then
    answer=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$scratch/root/usr/bin/parvoline" --version 2>&1)
    [ "$answer" = "parvoline $version" ] || fail "the packaged parvoline --version says '$answer'"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures packaging check(s) failed" >&2
    exit 1
fi
echo "installed and packaged parvoline $version: all checks passed"
