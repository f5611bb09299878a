#!/bin/sh
# Installs the build into a scratch prefix and checks what a desktop takes from it: the entry, the
# icon it names in every size, the metainfo, and the launcher's working folder.
# Usage: check-install.sh CMAKE BUILD_DIR SCRATCH_DIR
set -eu
cmake=$1 build=$2 scratch=$3
id=com.zarvovelmora.ZarvoVelmora
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$scratch"
mkdir -p "$scratch"
"$cmake" --install "$build" --prefix "$scratch/usr" >/dev/null
bin=$scratch/usr/bin share=$scratch/usr/share
entry=$share/applications/$id.desktop

# Both validators: not a single complaint, warnings included.
report=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $report"
[ -z "$report" ] || fail "desktop-file-validate: $report"
appstreamcli validate --no-net --strict "$share/metainfo/$id.metainfo.xml" >/dev/null ||
    fail "appstreamcli: $(appstreamcli validate --no-net --strict "$share/metainfo/$id.metainfo.xml")"

for line in 'Name=Zarvo Velmora' 'Categories=Network;WebBrowser;' \
    'MimeType=text/html;x-scheme-handler/http;x-scheme-handler/https;' \
    'Exec=zarvo-velmora-launch %u' "Icon=$id"; do
    grep -qxF "$line" "$entry" || fail "$entry lacks $line"
done
[ -x "$bin/zarvo-velmora" ] && [ -x "$bin/zarvo-velmora-launch" ] || fail "programs not in bin"

# PNG width and height: big-endian words at bytes 16 to 23.
for size in 16 32 48 64 72 96; do
    png=$share/icons/hicolor/${size}x$size/apps/$id.png
    [ "$(od -An -tu1 -j16 -N8 "$png" | tr -s ' ')" = " 0 0 0 $size 0 0 0 $size" ] ||
        fail "$png is not $size x $size"
done
grep -q '<svg' "$share/icons/hicolor/scalable/apps/$id.svg" || fail "no scalable icon"
# A manual page for each program, compressed, naming it.
for page in zarvo-velmora zarvo-velmora-launch; do
    gzip -dc "$share/man/man1/$page.1.gz" 2>/dev/null | grep -q "^$page " ||
        fail "no manual page for $page"
done

# The launcher, beside a stand-in program that records where it runs and with what: the folder,
# the number of arguments and the first.
fake=$scratch/fake
mkdir -p "$fake/bin" "$fake/my home" "$fake/started here"
cp "$bin/zarvo-velmora-launch" "$fake/bin/"
printf '#!/bin/sh\nprintf "%%s|%%s|%%s\\n" "$(pwd)" "$#" "$1" > "%s/ran"\n' "$fake" >"$fake/bin/zarvo-velmora"
chmod +x "$fake/bin/zarvo-velmora"
expect_run() { # HOME_VALUE EXPECTED_RUN HOW [ARGUMENT...]
    rm -f "$fake/ran"
    home=$1 expected=$2 how=$3
    shift 3
    case $how in
    path) (cd "$fake/started here" && HOME=$home PATH="$fake/bin:$PATH" zarvo-velmora-launch "$@") ;;
    relative) (cd "$fake" && HOME=$home ./bin/zarvo-velmora-launch "$@") ;;
    unset) (cd "$fake/started here" && unset HOME && "$fake/bin/zarvo-velmora-launch" "$@") ;;
    esac
    [ "$(cat "$fake/ran")" = "$expected" ] || fail "launcher ($how, HOME=$home) ran as $(cat "$fake/ran")"
}
expect_run "$fake/my home" "$fake/my home|0|" path
expect_run "$fake/my home" "$fake/my home|0|" relative
expect_run "$fake/no such home" "$fake/started here|0|" path
expect_run "" "$fake/started here|0|" unset
# The address from the desktop entry's %u, passed on; a file named from where it was started.
expect_run "$fake/my home" "$fake/my home|1|https://example.com/a b" path "https://example.com/a b"
touch "$fake/started here/page.html"
expect_run "$fake/my home" "$fake/my home|1|$fake/started here/page.html" path page.html
expect_run "$fake/my home" "$fake/my home|2|-x" path -x y
echo "PASS"
