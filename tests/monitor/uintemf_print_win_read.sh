#!/usr/bin/env bash
# The native step after the Wine test of Windows job printing: every PostScript file it wrote is rendered
# by Ghostscript, sheet by sheet; the .expect file beside it says what each sheet carries: "plain" (no
# symbol may be found), or "code <picture.bmp>" (zxing-cpp must read from the sheet the very bytes it
# reads from that code picture, a message of the invoice's type).
# Usage: uintemf_print_win_read.sh <output directory> <golden set e2e.txt>
set -u
dir=$1 golden=$2 dpi=300
reader=$(cd "$(dirname "${BASH_SOURCE[0]}")/../coding" && pwd)/page_code_read.py
if ! /usr/bin/python3 -c 'import zxingcpp, PIL' 2>/dev/null; then
  echo "zxing-cpp's and Pillow's Python modules (python3-zxing-cpp, python3-pil) are needed" >&2
  exit 1
fi
command -v gs >/dev/null || { echo "Ghostscript (gs) is needed" >&2; exit 1; }
# Tag, type, version, letter and TAB of the invoice's message: the pinned message's first 12 bytes.
header=$(sed -n 's/^SCHT message = //p' "$golden" | cut -c1-24)
[ -n "$header" ] || { echo "no SCHT message in $golden" >&2; exit 1; }
shopt -s nullglob
expects=("$dir"/*.expect)
[ ${#expects[@]} -gt 0 ] || { echo "no printed files in $dir" >&2; exit 1; }
status=0
for expect in "${expects[@]}"; do
  name=$(basename "$expect" .expect)
  ps="$dir/$name.ps"
  rm -f "$dir/$name"-sheet*.png
  gs -q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=pnggray -r$dpi -sOutputFile="$dir/$name-sheet%d.png" "$ps" ||
    { echo "$name: Ghostscript cannot render $ps" >&2; status=1; continue; }
  mapfile -t sheets <"$expect"
  rendered=("$dir/$name"-sheet*.png)
  if [ ${#rendered[@]} -ne ${#sheets[@]} ]; then
    echo "$name: ${#rendered[@]} sheets printed, ${#sheets[@]} expected" >&2
    status=1
    continue
  fi
  for i in "${!sheets[@]}"; do
    sheet="$dir/$name-sheet$((i + 1)).png"
    read -r kind picture <<<"${sheets[$i]}"
    got=$(/usr/bin/python3 "$reader" "$sheet" 2>/dev/null | sed -n 's/^bytes //p')
    if [ "$kind" = plain ]; then
      if [ -n "$got" ]; then echo "$name sheet $((i + 1)): a code where none belongs: $got" >&2; status=1; fi
      continue
    fi
    want=$(/usr/bin/python3 "$reader" "$dir/$picture" 2>/dev/null | sed -n 's/^bytes //p')
    if [ -z "$want" ] || [ "${want:0:24}" != "$header" ]; then
      echo "$name sheet $((i + 1)): the code picture $picture reads '${want:-(nothing)}', not an invoice message" >&2
      status=1
    elif [ "$got" != "$want" ]; then
      printf '%s sheet %d: zxing-cpp reads\n  %s\nexpected (from %s)\n  %s\n' "$name" $((i + 1)) "${got:-(nothing)}" \
        "$picture" "$want" >&2
      status=1
    fi
  done
  [ $status -eq 0 ] && echo "$name: ${#sheets[@]} sheets as expected"
done
exit $status
