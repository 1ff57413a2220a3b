#!/usr/bin/env bash
# Checks the built help file: it is a compiled help file and holds every page
# of help/, the contents and the texts the program shows.
set -euo pipefail
chm=$1 pages=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
file "$chm" | grep -q "MS Windows HtmlHelp Data" || { echo "$chm: not a compiled help file"; exit 1; }
extract_chmLib "$chm" "$out" >/dev/null
status=0
for page in "$pages"/*.html "$pages"/*.hhc; do
  name=$(basename "$page")
  if ! cmp -s "$page" "$out/$name"; then
    echo "$chm: $name missing or different"
    status=1
  fi
done
for text in "There is no item in listview!" "Please select a line!" 'SOFTWARE\Tovarik\Hulkmeter' "Size in bites"; do
  grep -rqF "$text" "$out" || { echo "$chm: no page mentions \"$text\""; status=1; }
done
((status == 0)) && echo "$chm: $(ls "$pages"/*.html | wc -l) pages and the contents, as written"
exit $status
