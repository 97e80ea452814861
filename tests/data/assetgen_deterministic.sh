#!/usr/bin/env bash
# The data generator must be deterministic and the committed data must be what it makes: two runs into
# fresh folders give byte-identical files, equal to those under dat/ and collision.png.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$root/tools/assetgen/run" "$work/a" >/dev/null
"$root/tools/assetgen/run" "$work/b" >/dev/null

diff -r "$work/a" "$work/b"
diff -r "$work/a/dat/image" "$root/dat/image"
diff -r "$work/a/dat/sound" "$root/dat/sound"
cmp "$work/a/dat/town3.csv" "$root/dat/town3.csv"
cmp "$work/a/collision.png" "$root/collision.png"
diff -r "$work/a/dist/icons" "$root/dist/icons"
echo "generator output is deterministic and matches the committed data"
