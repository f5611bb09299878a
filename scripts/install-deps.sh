#!/usr/bin/env bash
# Installs the Debian packages of a list that are not installed yet.
# Quiet and quick when nothing is missing; uses sudo when not run as root.
set -euo pipefail
# The list: debian-packages.txt, or the file given (CI adds its own tools so).
list="${1:-$(dirname "$0")/debian-packages.txt}"
missing=()
while read -r pkg; do
    [[ -z "$pkg" || "$pkg" == \#* ]] && continue
    status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
done <"$list"
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing Debian packages: ${missing[*]}"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
"${sudo[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
