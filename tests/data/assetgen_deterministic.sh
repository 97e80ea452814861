#!/usr/bin/env bash
# The data generator must be deterministic and the committed data must be what it makes: a run into a
# fresh folder gives byte-identical files to those committed, which an earlier run (on another machine)
# made. So two runs agree without running twice; every file the run writes is compared.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$root/tools/assetgen/run" "$work/a" >/dev/null

diff -r "$work/a/dat/image" "$root/dat/image"
diff -r "$work/a/dat/sound" "$root/dat/sound"
cmp "$work/a/dat/town3.csv" "$root/dat/town3.csv"
cmp "$work/a/collision.png" "$root/collision.png"
diff -r "$work/a/dist/icons" "$root/dist/icons"
for made in "$work"/a/docs/*; do
    cmp "$made" "$root/docs/$(basename "$made")"
done
# Nothing written beside what is compared above.
unexpected="$(cd "$work/a" && find . -type f ! -path './dat/image/*' ! -path './dat/sound/*' ! -path './dist/icons/*' \
    ! -path './docs/*' ! -name town3.csv ! -name collision.png)"
[[ -z "$unexpected" ]] || { echo "the generator wrote files nothing compares: $unexpected" >&2; exit 1; }
echo "generator output is deterministic and matches the committed data"
