#!/usr/bin/env bash
# Round trip of a vesk scene script through QEL: the scene is built and
# exported by the module, imported into a new empty scene, and the two scene
# dumps are compared, leaving out only the differences listed in
# docs/round-trip.md.
#
#   scripts/roundtrip.sh [SCRIPT [OUTDIR]]
#
# SCRIPT defaults to examples/rich_scene.vesk, OUTDIR to build/roundtrip;
# QEL_BUILD names the build tree (default build). Exit 0 when nothing
# differs beyond the list, 1 when something does, 2 when a step fails.
set -euo pipefail
export LC_ALL=C
root="$(cd "$(dirname "$0")/.." && pwd)"
script="$(realpath "${1:-$root/examples/rich_scene.vesk}")"
out="$(realpath -m "${2:-$root/build/roundtrip}")"
build="$(realpath -m "${QEL_BUILD:-$root/build}")"
vesk="$build/host/vesk"
module="$build/src/qelvesk.so"
list="$root/docs/round-trip.md"

for needed in "$script" "$vesk" "$module" "$list"; do
  if [ ! -e "$needed" ]; then
    echo "roundtrip: missing $needed" >&2
    exit 2
  fi
done
mkdir -p "$out"
cd "$out"
rm -f scene.qel exported.dump imported.dump differences.txt qelvesklog.txt

# Every step logs to its own file; a failing one shows its log.
step() {
  local name="$1"
  shift
  if ! "$@" >"$name.log" 2>&1; then
    echo "roundtrip: the $name step failed; see $out/$name.log" >&2
    tail -n 5 "$name.log" >&2
    exit 2
  fi
}

step export "$vesk" -p "$module" -s "$script" -dump exported.dump \
  -c "QELExportShowUI -v false" -c "QELExportHardEdges -v true" -export scene.qel

# The first take carries the animation; a file without takes has none to
# choose.
takes="$("$vesk" -p "$module" -c "QELRead -f \"$out/scene.qel\"" -c "QELGetTakeCount" 2>/dev/null |
  sed -n 's/^Result: \([0-9][0-9]*\)$/\1/p' | tail -n 1)"
take=()
if [ "${takes:-0}" -ge 1 ]; then
  take=(-t 0)
fi
step import "$vesk" -p "$module" -c "QELImportShowUI -v false" -c "QELImportHardEdges -v true" \
  -c "QELImportConvertDeformingNullsToJoint -v true" -c "QELImportMode -v add" \
  -c "QELImport -f \"$out/scene.qel\" ${take[*]}" -dump imported.dump

# The documented differences: one pattern per list item "- `PATTERN` ...".
ignores=()
while IFS= read -r pattern; do
  ignores+=(-ignore "$pattern")
done < <(sed -n 's/^- `\([^`]*\)`.*/\1/p' "$list")
set +e
"$vesk" -compare exported.dump imported.dump -tol 1e-6 "${ignores[@]}" >differences.txt
compared=$?
set -e
if [ "$compared" -gt 1 ]; then
  echo "roundtrip: the dumps could not be compared" >&2
  exit 2
fi

# Objects per kind: the node records of each dump ("node ID = KIND NUMBER").
kinds() {
  sed -n 's/^node "[^"]*" = "\([^"]*\)" [0-9]*$/\1/p' "$1" | sort | uniq -c | awk '{print $2, $1}'
}
echo "Round trip of ${script#"$root"/}"
printf '  %-24s %8s %8s\n' "objects" "exported" "imported"
join -a1 -a2 -e0 -o 0,1.2,2.2 <(kinds exported.dump) <(kinds imported.dump) |
  awk '{printf "  %-24s %8s %8s\n", $1, $2, $3}'
if [ "$compared" -eq 0 ]; then
  echo "  differences beyond docs/round-trip.md: none"
else
  echo "  differences beyond docs/round-trip.md: $(wc -l <differences.txt), listed in differences.txt"
fi
echo "  files in $out: scene.qel, exported.dump, imported.dump, differences.txt"
exit "$compared"
