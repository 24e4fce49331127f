#!/usr/bin/env bash
# Checks a built .deb as a user's system would see it: unpacks it into a private folder, validates the
# desktop entry and the AppStream data together with the icons (validate-tree), and shows the control
# fields and files. Usage: check-package.sh tessellane_X.Y.Z_amd64.deb
set -euo pipefail
deb=${1:?path to the .deb}
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
dpkg-deb -f "$deb" Package Version Section Maintainer Depends
for entry in "$root"/usr/share/applications/*.desktop; do
  out=$(desktop-file-validate "$entry" 2>&1) || { echo "$out"; exit 1; }
  [ -z "$out" ] || { echo "$out"; exit 1; }
done
appstreamcli validate-tree --no-net "$root"
dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$'
