#!/usr/bin/env bash
# The native step after the Wine end-to-end page test: zxing-cpp finds the code on the whole coded page
# (page_code_read.py), its bytes must be the pinned message of the invoice, and the symbol's corners must
# lie in the box where the code was placed (within one module, 9 pixels at 300 dpi).
# Usage: e2e_page_win_read.sh <page directory> <golden set e2e.txt>
set -u
dir=$1 golden=$2 id=SCHT slack=9
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
if ! /usr/bin/python3 -c 'import zxingcpp, PIL' 2>/dev/null; then
  echo "zxing-cpp's and Pillow's Python modules (python3-zxing-cpp, python3-pil) are needed" >&2
  exit 1
fi
page="$dir/$id.bmp"
[ -f "$page" ] && [ -f "$dir/$id.place" ] || { echo "no coded page $page or its place" >&2; exit 1; }
expected=$(sed -n "s/^$id message = //p" "$golden")
[ -n "$expected" ] || { echo "no $id message in $golden" >&2; exit 1; }
read_out=$(/usr/bin/python3 "$here/page_code_read.py" "$page") || exit 1
got=$(sed -n 's/^bytes //p' <<<"$read_out")
if [ "$got" != "$expected" ]; then
  printf '%s: zxing-cpp reads from the page\n  %s\nexpected\n  %s\n' "$id" "${got:-(nothing)}" "$expected" >&2
  exit 1
fi
echo "$id: zxing-cpp reads the message from the whole page"
read -r left top right bottom <"$dir/$id.place"
position=$(sed -n 's/^position //p' <<<"$read_out")
for corner in $position; do
  x=${corner%,*} y=${corner#*,}
  if [ "$x" -lt $((left - slack)) ] || [ "$x" -gt $((right + slack)) ] ||
     [ "$y" -lt $((top - slack)) ] || [ "$y" -gt $((bottom + slack)) ]; then
    echo "$id: corner $corner lies outside the placed box $left,$top-$right,$bottom" >&2
    exit 1
  fi
done
echo "$id: the symbol ($position) lies in the placed box $left,$top-$right,$bottom"
