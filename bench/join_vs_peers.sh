#!/usr/bin/env bash
# Times `brivona-tool join` of three consecutive one-minute recordings against
# its peers in one run, on the same files: cp of the same bytes (the physical
# limit) and ffmpeg's concat demuxer with stream copy (which drops the sensor
# records). The inputs carry grain, so their bit rate (about 12 Mbit/s) is a
# camera's rather than that of a still chart. Also reports the join's peak
# memory. Needs a built tree (scripts/build) and hyperfine.
#
#   bench/join_vs_peers.sh [WORKDIR] [SIZE] [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
TOOL=$(pwd)/build/bin/brivona-tool
WORK=${1:-build/bench-join}
SIZE=${2:-1440x1440}
SECS=${3:-60}
mkdir -p "$WORK/src" "$WORK/out"
WORK=$(cd "$WORK" && pwd)
SRC=$WORK/src
OUT=$WORK/out

starts=(20240517093000 20240517093100 20240517093200)
names=(001_093000A_M.MP4 002_093100A_M.MP4 003_093200A_M.MP4)
for i in 0 1 2; do
  f=$SRC/${names[$i]}
  if [ ! -f "$f" ]; then
    "$TOOL" synth --out "$f" --camera main --size "$SIZE" --duration "$SECS" \
      --start "${starts[$i]}" --seed $((i + 1)) --preset veryfast --grain 8 >/dev/null
  fi
done
inputs=("$SRC/${names[0]}" "$SRC/${names[1]}" "$SRC/${names[2]}")
: > "$WORK/list.txt"
for f in "${inputs[@]}"; do echo "file '$f'" >> "$WORK/list.txt"; done
bytes=$(cat "${inputs[@]}" | wc -c)
echo "inputs: 3 x ${SECS}s ${SIZE}, $((bytes / 1048576)) MiB in all"

hyperfine --warmup 1 --runs 5 --style basic --export-json "$WORK/result.json" \
  -n cp "cp ${inputs[*]} $OUT/" \
  -n join "$TOOL join --mode main --yes $OUT ${inputs[*]}" \
  -n tool-start "$TOOL version" \
  -n ffmpeg-concat "ffmpeg -loglevel error -y -f concat -safe 0 -i $WORK/list.txt -map 0 -c copy $OUT/ffconcat.MP4"

python3 - "$WORK/result.json" "$bytes" <<'PY'
import json, sys
r = {x["command"]: x["mean"] for x in json.load(open(sys.argv[1]))["results"]}
mb = int(sys.argv[2]) / 1048576
for name, t in r.items():
    print(f"{name:14s} {t*1000:8.1f} ms  {mb/t:8.1f} MiB/s")
print(f"join throughput / cp: {r['cp'] / r['join']:.2f}")
print(f"join time / ffmpeg concat: {r['join'] / r['ffmpeg-concat']:.2f}")
# The tool links the player and Qt for its drawing commands; what the engine
# itself takes is the join less the tool's own start.
engine = r['join'] - r['tool-start']
print(f"engine (join less tool start) throughput / cp: {r['cp'] / engine:.2f}")
PY
/usr/bin/time -f "join peak memory: %M KiB" "$TOOL" join --mode main --yes "$OUT" "${inputs[@]}" >/dev/null 2>"$WORK/time.txt" || true
grep "peak memory" "$WORK/time.txt"
