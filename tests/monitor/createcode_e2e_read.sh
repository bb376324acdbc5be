#!/usr/bin/env bash
# The native step after the Wine test of the coded jobs: zxing-cpp reads each document's code picture,
# in both formats, and the bytes must be the document's pinned message.
# Usage: createcode_e2e_read.sh <picture directory> <golden set e2e.txt>
set -u
dir=$1 golden=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
failed=0
for format in wmf emf; do
  echo "$format:"
  bash "$here/../coding/e2e_win_read.sh" "$dir/$format" "$golden" || failed=1
done
exit "$failed"
