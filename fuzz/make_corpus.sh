#!/usr/bin/env bash
# Rebuilds the seed corpus of the session import fuzz target: small disc
# images made by genisoimage and xorriso, cut after their last directory
# sector (file data adds nothing for the reader and slows the fuzzer).
set -euo pipefail
out=$(cd "$(dirname "$0")" && pwd)/corpus/session_import
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

mkdir -p tree/Música/Rock tree/docs/a/b/c
echo x > "tree/Música/Rock/Canção longa número um.mp3"
echo y > tree/Música/faixa.mp3
echo z > tree/docs/a/b/c/deep.txt
echo w > tree/README
: > tree/empty.mp3

# Keeps the sectors up to the last directory extent of either tree.
cut_after_directories() {
  local image=$1 last
  last=$( (isoinfo -l -i "$image"; isoinfo -J -l -i "$image" 2>/dev/null || true) \
    | sed -n 's/^d.*\[ *\([0-9]*\) [0-9]*\].*/\1/p' | sort -n | tail -1)
  truncate -s $(( (last + 1) * 2048 )) "$image"
}

genisoimage -quiet -J -R -o joliet_rr.iso tree
genisoimage -quiet -o iso_only.iso tree
genisoimage -quiet -J -o joliet.iso tree
xorriso -as mkisofs -quiet -J -o xorriso_joliet.iso tree 2>/dev/null
for image in *.iso; do
  cut_after_directories "$image"
done
rm -f "$out"/*.iso
cp *.iso "$out"/
ls -l "$out"
