#!/bin/sh
# Builds the Debian package of the build into a scratch folder and checks its control data and
# its file list.
# Usage: check-package.sh CPACK BUILD_DIR SCRATCH_DIR
set -eu
cpack=$1 build=$2 scratch=$3
id=com.zarvovelmora.ZarvoVelmora
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$scratch"
mkdir -p "$scratch"
"$cpack" -G DEB -B "$scratch" --config "$build/CPackConfig.cmake" >"$scratch/cpack.log" 2>&1 ||
    fail "cpack: $(cat "$scratch/cpack.log")"
set -- "$scratch"/*.deb
[ $# -eq 1 ] && [ -f "$1" ] || fail "not one package: $*"
deb=$1

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = zarvo-velmora ] || fail "Package: $(field Package)"
[ "$(field Version)" = 1.0 ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture"
[ -n "$(field Maintainer)" ] && [ -n "$(field Description)" ] || fail "Maintainer, Description"

# The libraries the program links, and the engine's helper process. Every package named is one
# this machine has installed, so none is misspelt.
depends=$(field Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//')
for pkg in libc6 libqt6core6 libqt6dbus6 libqt6gui6 libqt6widgets6 libqt6network6 libqt6printsupport6 \
    libqt6webenginecore6 libqt6webenginewidgets6 libqt6webenginecore6-bin; do
    echo "$depends" | grep -qxF "$pkg" || fail "Depends lacks $pkg: $(field Depends)"
done
for pkg in $depends; do
    dpkg-query -W "$pkg" >/dev/null 2>&1 || fail "Depends names $pkg, which is no installed package"
done
[ "$(echo "$depends" | sort | uniq -d)" = "" ] || fail "Depends repeats a package"

# Exactly these files, owned by root; the programs executable, the rest not.
dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { print $1, $2, $6 }' | sort >"$scratch/files"
cat >"$scratch/expected" <<LIST
-rw-r--r-- root/root ./usr/share/applications/$id.desktop
-rw-r--r-- root/root ./usr/share/icons/hicolor/16x16/apps/$id.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/32x32/apps/$id.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/48x48/apps/$id.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/64x64/apps/$id.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/72x72/apps/$id.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/96x96/apps/$id.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/scalable/apps/$id.svg
-rw-r--r-- root/root ./usr/share/metainfo/$id.metainfo.xml
-rw-r--r-- root/root ./usr/share/doc/zarvo-velmora/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/zarvo-velmora/copyright
-rw-r--r-- root/root ./usr/share/man/man1/zarvo-velmora.1.gz
-rw-r--r-- root/root ./usr/share/man/man1/zarvo-velmora-launch.1.gz
-rwxr-xr-x root/root ./usr/bin/zarvo-velmora
-rwxr-xr-x root/root ./usr/bin/zarvo-velmora-launch
LIST
sort -o "$scratch/expected" "$scratch/expected"
diff "$scratch/expected" "$scratch/files" >&2 || fail "file list differs (expected < > package)"

# What a Debian maintainer would fix: no error, no warning. Where lintian is installed.
if command -v lintian >/dev/null 2>&1; then
    lintian --fail-on error,warning \
        "$deb" >"$scratch/lintian.log" 2>&1 || fail "lintian: $(cat "$scratch/lintian.log")"
else
    echo "lintian not installed: its check is left out"
fi
echo "PASS"
