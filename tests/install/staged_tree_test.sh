#!/usr/bin/env bash
# Installs the build directory into a staging directory (cmake --install with
# DESTDIR) and uses the installation as a packager's user would: the
# service's helper fills a data directory from the installed demo catalogue,
# the installed server serves it on an ephemeral loopback port, and the
# installed talor-tool and navigator (with the installed message file) use
# it; a copy of the empty catalogue skeleton with a user added takes a
# record; the manual pages format without warnings.
#   staged_tree_test.sh BUILD_DIR LAYOUT.sh
set -euo pipefail
build=$1
# shellcheck source=/dev/null
source "$2"
work=$(mktemp -d)
server_pid=""
cleanup() {
  if [[ -n "$server_pid" ]]; then
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}
# expect WHAT EXPECTED ACTUAL
expect() {
  [[ "$2" == "$3" ]] || fail "$1: expected [$2], got [$3]"
}

stage=$work/stage
DESTDIR=$stage cmake --install "$build" >"$work/install.log"
for file in "${TALOR_EXPECTED_FILES[@]}"; do
  [[ -f "$stage$file" ]] || fail "not installed: $file"
done
bin=$stage$TALOR_BINDIR
share=$stage$TALOR_SHARE
helper=$stage$TALOR_HELPER

# Starts the installed server on DATA on an ephemeral port and sets $port
# from its first line of output.
start_server() {
  "$bin/talor-server" serve --data "$1" --port 0 >"$work/server.log" 2>&1 &
  server_pid=$!
  port=""
  while [[ -z "$port" ]]; do
    if ! kill -0 "$server_pid" 2>/dev/null; then
      echo "the server did not start: $(cat "$work/server.log")" >&2
      exit 1
    fi
    sleep 0.1
    port=$(sed -n 's/^talor-server: 127\.0\.0\.1:\([0-9]*\),.*/\1/p' "$work/server.log")
  done
}
# Stops the server as systemd does, with SIGTERM; it must exit with 0.
stop_server() {
  kill -TERM "$server_pid"
  local status=0
  wait "$server_pid" || status=$?
  server_pid=""
  expect "server exit status after SIGTERM" 0 "$status"
}
# query USER PASSWORD ARGS...: talor-tool query against the running server.
query() {
  local user=$1 password=$2
  shift 2
  "$bin/talor-tool" query --port "$port" --user "$user" --password "$password" "$@"
}
# The MFNs of a search answer ("0", the number of hits, then "MFN#" lines).
hit_mfns() {
  tail -n +3 | cut -d'#' -f1 | sort -n | tr '\n' ' '
}

# --- The helper of the service: fills an empty data directory once. ---
data=$work/demo-data
"$helper" "$data" "$share/demo" >"$work/init.log" 2>&1 || fail "init: $(cat "$work/init.log")"
[[ -f "$data/catalogue.sqlite" ]] || fail "the helper made no catalogue in $data"
output=$("$helper" "$data" "$share/demo" 2>&1) || fail "second start: $output"
expect "output of the helper when a catalogue is there" "" "$output"

if "$helper" "$work/no-source" "" 2>"$work/err.log"; then
  fail "the helper succeeded without a source catalogue"
fi
[[ -s "$work/err.log" ]] || fail "the helper said nothing without a source catalogue"
# A failed init (here a malformed users.txt, read after the storage file is
# made) leaves no storage file, so that the next start tries again.
cp -r "$share/empty" "$work/broken"
printf 'someone\r\n' >>"$work/broken/users.txt"
if "$helper" "$work/broken-data" "$work/broken" >/dev/null 2>&1; then
  fail "the helper succeeded on a malformed users.txt"
fi
[[ ! -e "$work/broken-data/catalogue.sqlite" ]] || fail "a failed init left its storage file"

# --- The installed server and talor-tool on the installed demo catalogue. ---
start_server "$data"
# Records are numbered in the order of the exchange file: the next MFN
# follows the last record, and the authors' dictionary finds exactly the
# records that name the author in field 700 or 701.
records=$(grep -c '^\*\*\*\*\*' "$share/demo/db/DEMO/DEMO.txt")
expect "maxmfn DEMO" "$((records + 1))" "$(query reader reader maxmfn DEMO)"
expected_mfns=$(tr -d '\r' <"$share/demo/db/DEMO/DEMO.txt" | awk '
  /^\*\*\*\*\*$/ { mfn++; next }
  /^#70[01]: \^AДостоевский(\^|$)/ { print mfn + 1 }' | sort -nu | tr '\n' ' ')
[[ -n "$expected_mfns" ]] || fail "the demo catalogue has no record by Достоевский"
expect "search A=ДОСТОЕВСКИЙ" "$expected_mfns" \
  "$(query reader reader search DEMO '"A=ДОСТОЕВСКИЙ"' | hit_mfns)"
status=0
query reader wrong maxmfn DEMO >/dev/null 2>&1 || status=$?
expect "exit status of a refused login" 3 "$status"

# The navigator started from a folder of the user's, with TalorMsg naming
# the installed message file, renders the start page of the catalogue.
mkdir "$work/home"
printf '[Main]\nTalorMsg=%s\nServerPort=%s\nUserName=reader\nUserPassword=reader\nWorkdir=%s\n' \
  "$share/TALORMSG.TXT" "$port" "$work/navigator-work" >"$work/home/nav.ini"
if (cd "$work/home" && "$bin/talor-navigator" render --config nav.ini) \
  >"$work/page.html" 2>"$work/navigator.log"; then
  [[ ! -s "$work/navigator.log" ]] || fail "the navigator complained: $(cat "$work/navigator.log")"
  title=$(iconv -f cp1251 -t utf-8 "$share/demo/pages/index.html" | grep -o '<title>.*</title>')
  grep -Fq "$title" "$work/page.html" || fail "the rendered start page lacks $title"
else
  fail "talor-navigator render: $(cat "$work/navigator.log")"
fi
stop_server

# --- A copy of the empty catalogue skeleton with a user of its own. ---
cp -r "$share/empty" "$work/catalogue"
printf 'keeper secret - write\r\n' >>"$work/catalogue/users.txt"
"$helper" "$work/empty-data" "$work/catalogue" >"$work/init.log" 2>&1 ||
  fail "init of the empty catalogue: $(cat "$work/init.log")"
start_server "$work/empty-data"
expect "maxmfn BOOKS of the empty catalogue" 1 "$(query keeper secret maxmfn BOOKS)"
printf '#200: ^AВойна и мир^Eроман\n#700: ^AТолстой^BЛ. Н.\n*****\n' >"$work/record.txt"
query keeper secret write BOOKS "$work/record.txt" >/dev/null || fail "write to BOOKS"
expect "search T=ВОЙНА И МИР in BOOKS" "1 " \
  "$(query keeper secret search BOOKS '"T=ВОЙНА И МИР"' | hit_mfns)"
expect "search A=ТОЛСТОЙ in BOOKS" "1 " "$(query keeper secret search BOOKS '"A=ТОЛСТОЙ"' | hit_mfns)"
stop_server

# --- The manual pages format without a warning. ---
for file in "${TALOR_EXPECTED_FILES[@]}"; do
  [[ "$file" == *.1.gz && -f "$stage$file" ]] || continue
  warnings=$(zcat "$stage$file" | groff -man -Tutf8 -ww -z -k 2>&1)
  [[ -z "$warnings" ]] || fail "$(basename "$file"): $warnings"
done

if [[ $failures -ne 0 ]]; then
  echo "$failures failed" >&2
  exit 1
fi
