#!/bin/sh
# Start-up time and memory: starts Marel under Xvfb several times, measures
# the time from exec to its main window being mapped, and its resident memory
# once shown. Needs xvfb and x11-utils (xwininfo). Usage: bench/startup.sh [runs]
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$top/build}
runs=${1:-10}

if [ "$2" != inside ]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  cp "$build/marel" "$work/"
  WORK="$work" WINDIR="$work/win" xvfb-run -a -s "-screen 0 1024x768x24" sh "$0" "$runs" inside
  exit 0
fi

now_ms() { date +%s%N | cut -c1-13; }
times=""
for i in $(seq "$runs"); do
  start=$(now_ms)
  "$WORK/marel" & pid=$!
  until xwininfo -name Marel 2>/dev/null | grep -q IsViewable; do sleep 0.005; done
  shown=$(now_ms)
  sleep 1
  rss=$(awk '/VmRSS/ { print $2 }' /proc/$pid/status)
  kill $pid; wait $pid 2>/dev/null || true
  times="$times $((shown - start))"
  echo "run $i: $((shown - start)) ms to the window, ${rss} kB resident"
done
echo "$times" | tr ' ' '\n' | grep . | sort -n | awk '
  { t[NR] = $1 } END { printf "median %d ms, fastest %d ms, slowest %d ms over %d runs\n", t[int((NR + 1) / 2)], t[1], t[NR], NR }'
