#!/usr/bin/env bash
# The native step after the monitor thread's Wine test: the Windows job it printed is rendered by
# Ghostscript, and zxing-cpp must read an invoice's message from its one sheet; from the picture the DOS
# job's PCL raster draws, it must read the DOS type's message.
# Usage: cl_monitor_win_read.sh <output directory> <golden set e2e.txt>
set -u
dir=$1 golden=$2 dpi=300
reader=$(cd "$(dirname "${BASH_SOURCE[0]}")/../coding" && pwd)/page_code_read.py
/usr/bin/python3 -c 'import zxingcpp, PIL' 2>/dev/null || { echo "python3-zxing-cpp and python3-pil are needed" >&2; exit 1; }
command -v gs >/dev/null || { echo "Ghostscript (gs) is needed" >&2; exit 1; }
# Tag, type, version, letter and TAB of the invoice's message: the pinned message's first 12 bytes.
header=$(sed -n 's/^SCHT message = //p' "$golden" | cut -c1-24)
[ -n "$header" ] || { echo "no SCHT message in $golden" >&2; exit 1; }
ps="$dir/emf_job.ps"
[ -s "$ps" ] || { echo "nothing printed in $ps" >&2; exit 1; }
rm -f "$dir"/emf_job-sheet*.png
gs -q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=pnggray -r$dpi -sOutputFile="$dir/emf_job-sheet%d.png" "$ps" ||
  { echo "Ghostscript cannot render $ps" >&2; exit 1; }
sheets=("$dir"/emf_job-sheet*.png)
[ ${#sheets[@]} -eq 1 ] || { echo "${#sheets[@]} sheets printed, 1 expected" >&2; exit 1; }
got=$(/usr/bin/python3 "$reader" "${sheets[0]}" 2>/dev/null | sed -n 's/^bytes //p')
if [ "${got:0:24}" != "$header" ]; then
  echo "zxing-cpp reads '${got:-(nothing)}' from the printed sheet, not an invoice message" >&2
  exit 1
fi
echo "the printed sheet carries the invoice's code"
command -v ZXingReader >/dev/null || { echo "zxing-cpp's reader (zxing-cpp-tools) is needed" >&2; exit 1; }
# The DOS type's id "DJ" follows the message's tag.
dos=$(ZXingReader -format Aztec -bytes "$dir/dos_job_code.bmp" 2>/dev/null | head -c 8 | tr -c 'A-Z' '.')
case "$dos" in
  ???DJ*) echo "the DOS job's raster carries its type's code" ;;
  *) echo "zxing-cpp reads '${dos:-(nothing)}' from the DOS job's raster, not a message of type DJ" >&2; exit 1 ;;
esac
