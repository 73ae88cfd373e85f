#!/usr/bin/env bash
# Checks the built help file: every page that a help button opens is in it,
# with its contents and index, and HowFill.htm carries the DragFill anchor.
#   check_help.sh PATH/Pennora.chm
set -euo pipefail
chm="${1:?usage: check_help.sh Pennora.chm}"
chmls="${CHMLS:-chmls}"
[ -f "$chm" ] || { echo "FAIL: $chm does not exist" >&2; exit 1; }

listing=$("$chmls" -n list "$chm")
failures=0
for page in index.htm HowDragFill.htm EditData.htm IERight.htm Chinese.htm HowFill.htm Pennora.hhc Pennora.hhk; do
  if grep -qx "/$page" <<<"$listing"; then
    echo "ok: $page"
  else
    echo "FAIL: $page is not in $chm" >&2
    failures=$((failures + 1))
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$chmls" extract "$chm" /HowFill.htm "$work/HowFill.htm" >/dev/null
if grep -Eqi '<a[^>]*(name|id)="DragFill"' "$work/HowFill.htm"; then
  echo "ok: HowFill.htm#DragFill"
else
  echo "FAIL: HowFill.htm has no DragFill anchor" >&2
  failures=$((failures + 1))
fi

echo "$((9 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
