#!/usr/bin/env bash
# The native step after the exports' Wine test: zxing-cpp must read a message of the invoice's type from
# the picture the batch run's code commands draw. The message's random parts differ from run to run, so
# only its tag and type id are compared with the golden set's.
# Usage: client_exports_read.sh <picture directory> <golden set e2e_dos.txt>
set -u
dir=$1 golden=$2
command -v ZXingReader >/dev/null || { echo "zxing-cpp's reader (zxing-cpp-tools) is needed" >&2; exit 1; }
# The 3-byte tag and the 4-byte type id, as hex.
header=$(sed -n 's/^SCHT-0 message = //p' "$golden" | cut -c1-14)
[ ${#header} -eq 14 ] || { echo "no SCHT message in $golden" >&2; exit 1; }
picture="$dir/batch_code.bmp"
[ -s "$picture" ] || { echo "no picture $picture" >&2; exit 1; }
got=$(ZXingReader -format Aztec -bytes "$picture" 2>/dev/null | od -An -v -tx1 | tr -d ' \n' | tr a-f A-F)
if [ "${got:0:14}" != "$header" ]; then
  echo "zxing-cpp reads '${got:-(nothing)}' from $picture, not a message of type SCHT" >&2
  exit 1
fi
echo "the batch run's code carries the invoice's type"
