#!/usr/bin/env bash
# The native step after the Wine end-to-end test: zxing-cpp reads each code picture that test wrote,
# and the bytes must be the pinned message of its document.
# Usage: e2e_win_read.sh <picture directory> <golden set e2e.txt>
set -u
dir=$1 golden=$2
if ! command -v ZXingReader >/dev/null; then
  echo "ZXingReader (zxing-cpp-tools) is needed; scripts/setup installs it" >&2
  exit 1
fi
failed=0 read_ok=0
while IFS= read -r line; do
  case $line in
    *' message = '*) ;;
    *) continue ;;
  esac
  id=${line%% message = *} expected=${line#* message = }
  picture="$dir/$id.bmp"
  if [ ! -f "$picture" ]; then
    echo "$id: no picture $picture" >&2
    failed=1
    continue
  fi
  got=$(ZXingReader -format Aztec -bytes "$picture" | od -An -v -tx1 | tr -d ' \n' | tr a-f A-F)
  if [ "$got" = "$expected" ]; then
    echo "$id: zxing-cpp reads the message"
    read_ok=$((read_ok + 1))
  else
    printf '%s: zxing-cpp reads\n  %s\nexpected\n  %s\n' "$id" "${got:-(nothing)}" "$expected" >&2
    failed=1
  fi
done < "$golden"
[ "$read_ok" -gt 0 ] || { echo "no message in $golden" >&2; failed=1; }
exit "$failed"
