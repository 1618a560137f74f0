#!/usr/bin/env bash
# The desktop's view of Kostenwolf: its menu entry and AppStream data, and the Debian
# package built from the build folder, installed, started and removed again.
#   paket_test.sh metadaten SOURCE_DIR VERSION
#   paket_test.sh deb BUILD_DIR VERSION
# Exit code 77 means skipped (CTest's SKIP_RETURN_CODE).
set -euo pipefail
art=$1 ordner=$2 version=$3

fehler() { echo "FEHLER: $*" >&2; exit 1; }
ueberspringe() { echo "übersprungen: $*"; exit 77; }
benoetigt() { command -v "$1" >/dev/null || ueberspringe "$1 fehlt (Paket $2, scripts/setup)"; }

pruefe_metadaten() { # desktop entry, metainfo
    desktop-file-validate "$1" || fehler "desktop-file-validate: $1"
    appstreamcli validate --no-net "$2" || fehler "appstreamcli validate: $2"
    grep -q "<release version=\"$version\"" "$2" || fehler "no release $version in $2"
}

if [ "$art" = metadaten ]; then
    benoetigt desktop-file-validate desktop-file-utils
    benoetigt appstreamcli appstream
    pruefe_metadaten "$ordner/app/kostenwolf.desktop" "$ordner/packaging/kostenwolf.metainfo.xml"
    echo "ok"
    exit 0
fi

[ "$(id -u)" -eq 0 ] || ueberspringe "installing the package with dpkg -i needs root"
benoetigt cpack cmake
benoetigt dpkg-shlibdeps dpkg-dev
benoetigt desktop-file-validate desktop-file-utils
benoetigt appstreamcli appstream
benoetigt lintian lintian
# The machine is left as it was found: a Kostenwolf installed by others is not touched.
if dpkg-query -W -f='${Status}' kostenwolf 2>/dev/null | grep -q "ok installed"; then
    ueberspringe "kostenwolf is installed on this machine already"
fi
[ -e /usr/bin/kostenwolf ] && ueberspringe "/usr/bin/kostenwolf exists already"

arbeit=$(mktemp -d)
installiert=0
aufraeumen() {
    if [ "$installiert" = 1 ]; then
        dpkg_mit_sperre --purge kostenwolf >/dev/null || echo "WARNUNG: dpkg --purge kostenwolf failed" >&2
    fi
    rm -rf "$arbeit"
}
trap aufraeumen EXIT
# Others may be installing packages at the same moment: wait for dpkg's lock.
dpkg_mit_sperre() {
    for _ in $(seq 60); do
        if dpkg "$@" 2>"$arbeit/dpkg.err"; then return 0; fi
        grep -qi "lock" "$arbeit/dpkg.err" || { cat "$arbeit/dpkg.err" >&2; return 1; }
        sleep 2
    done
    cat "$arbeit/dpkg.err" >&2
    return 1
}

cpack -G DEB --config "$ordner/CPackConfig.cmake" -B "$arbeit" >"$arbeit/cpack.log" 2>&1 \
    || { cat "$arbeit/cpack.log"; fehler "cpack -G DEB"; }
deb="$arbeit/kostenwolf_${version}-1_amd64.deb"
[ -f "$deb" ] || { ls "$arbeit"; fehler "no $deb"; }

inhalt=$(dpkg-deb -c "$deb" | awk '{print $NF}')
for datei in ./usr/bin/kostenwolf ./usr/share/applications/kostenwolf.desktop \
    ./usr/share/metainfo/kostenwolf.metainfo.xml ./usr/share/man/man1/kostenwolf.1.gz \
    ./usr/share/doc/kostenwolf/copyright ./usr/share/doc/kostenwolf/changelog.Debian.gz; do
    grep -qx "$datei" <<<"$inhalt" || fehler "$datei missing from the package"
done
for g in 16 32 48 64 128 256; do
    grep -qx "./usr/share/icons/hicolor/${g}x${g}/apps/kostenwolf.png" <<<"$inhalt" \
        || fehler "icon ${g}x${g} missing from the package"
done
abhaengig=$(dpkg-deb -f "$deb" Depends)
for paket in libc6 libqt6widgets6 libqt6printsupport6 qt6-translations-l10n; do
    grep -q "$paket" <<<"$abhaengig" || fehler "Depends lacks $paket: $abhaengig"
done

dpkg-deb -x "$deb" "$arbeit/inhalt"
pruefe_metadaten "$arbeit/inhalt/usr/share/applications/kostenwolf.desktop" \
    "$arbeit/inhalt/usr/share/metainfo/kostenwolf.metainfo.xml"
# Debian's own checks: no error, no warning (notes and hints are allowed).
lintian --fail-on error,warning "$deb" >"$arbeit/lintian.log" 2>&1 \
    || { cat "$arbeit/lintian.log"; fehler "lintian"; }
seite=$(zcat "$arbeit/inhalt/usr/share/man/man1/kostenwolf.1.gz")
for option in '\-\-help' '\-\-version' '\-\-bericht' '\-\-benutzer' '\-\-format' '\-\-kennwort\-stdin' \
    '\-\-auf\-euro\-umstellen' '\-\-ja'; do
    grep -qF -- "$option" <<<"$seite" || fehler "the manual page lacks $option"
done
zcat "$arbeit/inhalt/usr/share/doc/kostenwolf/changelog.Debian.gz" | head -1 | grep -q "^kostenwolf ($version-1)" \
    || fehler "changelog.Debian.gz does not begin with version $version"

installiert=1
dpkg_mit_sperre -i "$deb" || fehler "dpkg -i"
antwort=$(/usr/bin/kostenwolf --version) || fehler "/usr/bin/kostenwolf --version failed"
[ "$antwort" = "Kostenwolf $version" ] || fehler "--version answered: $antwort"
# Run by root, which may write to /usr/bin, the data still go to the user's folder.
mkdir -m 700 "$arbeit/laufzeit"
XDG_DATA_HOME="$arbeit/daten" XDG_RUNTIME_DIR="$arbeit/laufzeit" QT_QPA_PLATFORM=offscreen \
    KOSTENWOLF_RAS_SIMULATION="$arbeit/keine" /usr/bin/kostenwolf >"$arbeit/lauf.log" 2>&1 &
programm=$!
for _ in $(seq 100); do
    [ -e "$arbeit/daten/kostenwolf/Daten.kwd" ] && break
    kill -0 "$programm" 2>/dev/null || break
    sleep 0.2
done
kill -TERM "$programm" 2>/dev/null || true
wait "$programm" || true
[ -s "$arbeit/daten/kostenwolf/Daten.kwd" ] || { cat "$arbeit/lauf.log"; fehler "no Daten.kwd in the user's folder"; }
[ ! -e /usr/bin/Daten.kwd ] || { rm -f /usr/bin/Daten.kwd /usr/bin/Tarife.kwt; fehler "Daten.kwd written to /usr/bin"; }
dpkg_mit_sperre --purge kostenwolf >/dev/null || fehler "dpkg --purge"
installiert=0
[ ! -e /usr/bin/kostenwolf ] || fehler "/usr/bin/kostenwolf left behind"
echo "ok"
