#!/usr/bin/env bash
# Records in and out at scale: export and import of COUNT records (100 000 by
# default) in both exchange forms through talor-server and the navigator's
# batch mode, and talor-tool convert of the exported ISO file next to
# yaz-marcdump -o line reading the same file. Prints one table of wall times
# and peak resident memory.
#
# Usage: bench/exchange.sh [COUNT]
# Builds Release into build-bench, or uses the configured $TALOR_BUILD_DIR.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
count=${1:-100000}
build=${TALOR_BUILD_DIR:-$root/build-bench}
"$root/scripts/deps"
[[ -f "$build/CMakeCache.txt" ]] ||
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target talor-server talor-navigator talor-tool >/dev/null

work=$(mktemp -d /tmp/talor-exchange-bench-XXXXXX)
server_pid=""
cleanup() {
  [[ -n "$server_pid" ]] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# An empty BENCH database with the benchmark catalogue's indexing table.
python3 "$root/tools/make_bench_catalogue.py" 1 "$work/source" >/dev/null
"$build/src/app/talor-server" init --data "$work/data" --from "$work/source" >/dev/null
python3 "$root/tools/make_exchange_records.py" "$count" "$work/records.txt"

"$build/src/app/talor-server" serve --data "$work/data" --port 0 >"$work/server.out" 2>&1 &
server_pid=$!
for _ in $(seq 100); do
  port=$(grep -o '127.0.0.1:[0-9]*' "$work/server.out" | head -1 | cut -d: -f2 || true)
  [[ -n "$port" ]] && break
  sleep 0.1
done
cat >"$work/navigator.ini" <<INI
[Main]
ServerIP=127.0.0.1
ServerPort=$port
UserName=bench
UserPassword=bench
Workdir=$work/navigator-work/
INI

rows=()
# Runs the command and adds a row: name, seconds, peak resident MB.
measure() {
  local name=$1
  shift
  /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>"$work/stderr" ||
    { echo "$name failed:" >&2; cat "$work/stderr" >&2; exit 1; }
  read -r seconds kilobytes <"$work/time"
  rows+=("$(printf '| %-44s | %8s | %8d |' "$name" "$seconds" $((kilobytes / 1024)))")
}
navigator=("$build/src/app/talor-navigator" render --config "$work/navigator.ini")

last=$((count + 1))
measure "import $count records, text form" "${navigator[@]}" --file "$work/records.txt" "TALOR:8,,BENCH?IMP21FMT=TXT"
measure "export $count records, ISO 2709" "${navigator[@]}" --file "$work/out.iso" "TALOR:7,,BENCH?EXPORT_FROMMFN=2&EXPORT_TOMFN=$last"
measure "export $count records, text form" "${navigator[@]}" --file "$work/out.txt" "TALOR:7,,BENCH?EXPORT_FROMMFN=2&EXPORT_TOMFN=$last&EXP21FMT=TXT"
measure "import $count records, ISO 2709" "${navigator[@]}" --file "$work/out.iso" "TALOR:8,,BENCH"
measure "talor-tool convert ISO -> text" "$build/src/app/talor-tool" convert "$work/out.iso" "$work/converted.txt"
measure "yaz-marcdump -o line (yardstick)" sh -c "yaz-marcdump -o line '$work/out.iso' >/dev/null"

echo "Exchange files: $count records; ISO file $(($(stat -c %s "$work/out.iso") / 1048576)) MB," \
  "text file $(($(stat -c %s "$work/out.txt") / 1048576)) MB"
echo "| Work | Seconds | Peak MB |"
echo "|---|---:|---:|"
printf '%s\n' "${rows[@]}"
