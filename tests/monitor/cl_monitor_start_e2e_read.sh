#!/usr/bin/env bash
# The native step after client.exe's monitor test: each role's printed jobs are read back as after the
# monitor thread's own test.
# Usage: cl_monitor_start_e2e_read.sh <output directory> <golden set e2e.txt>
set -u
here=$(dirname "${BASH_SOURCE[0]}")
status=0
for role in tray queue; do
  echo "== $role"
  bash "$here/cl_monitor_win_read.sh" "$1/$role" "$2" || status=1
done
exit $status
