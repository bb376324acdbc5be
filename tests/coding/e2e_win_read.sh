#!/usr/bin/env bash
# The native step after a Wine end-to-end test: zxing-cpp reads each code picture that test wrote,
# <id>.bmp or <form>.<id>.bmp, and the bytes must be the pinned message of its document <id>; every
# message of the set needs a picture.
# Usage: e2e_win_read.sh <picture directory> <golden set, e2e.txt or e2e_dos.txt>
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
  pictures=()
  for picture in "$dir/$id.bmp" "$dir"/*."$id".bmp; do
    [ -f "$picture" ] && pictures+=("$picture")
  done
  if [ ${#pictures[@]} -eq 0 ]; then
    echo "$id: no picture $dir/$id.bmp or $dir/*.$id.bmp" >&2
    failed=1
    continue
  fi
  for picture in "${pictures[@]}"; do
    got=$(ZXingReader -format Aztec -bytes "$picture" | od -An -v -tx1 | tr -d ' \n' | tr a-f A-F)
    if [ "$got" = "$expected" ]; then
      echo "$(basename "$picture" .bmp): zxing-cpp reads the message"
      read_ok=$((read_ok + 1))
    else
      printf '%s: zxing-cpp reads\n  %s\nexpected\n  %s\n' "$picture" "${got:-(nothing)}" "$expected" >&2
      failed=1
    fi
  done
done < "$golden"
[ "$read_ok" -gt 0 ] || { echo "no message in $golden" >&2; failed=1; }
exit "$failed"
