#!/usr/bin/env bash
# Writes the message file data/TALORMSG.TXT (Windows-1251, CR LF, line N =
# message N, empty lines for unused numbers) from its readable source
# data/messages.txt ("N<TAB>text" lines, # comments).
#
# Usage: tools/make_talormsg.sh [SOURCE [TARGET]]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
source_file=${1:-$root/data/messages.txt}
target_file=${2:-$root/data/TALORMSG.TXT}

temporary=$(mktemp "$target_file.XXXXXX")
trap 'rm -f "$temporary"' EXIT

LC_ALL=C awk -F '\t' '
  /^#/ || /^[ \t]*$/ { next }
  {
    if ($1 !~ /^[0-9]+$/ || NF < 2) {
      printf "%s:%d: expected NUMBER<TAB>TEXT\n", FILENAME, FNR > "/dev/stderr"; exit 1
    }
    number = $1 + 0
    if (number in text) {
      printf "%s:%d: message %d given twice\n", FILENAME, FNR, number > "/dev/stderr"; exit 1
    }
    text[number] = substr($0, length($1) + 2)
    if (number > last) last = number
  }
  END { for (i = 0; i <= last; ++i) printf "%s\r\n", text[i] }
' "$source_file" | iconv -f UTF-8 -t CP1251 > "$temporary"

chmod 644 "$temporary"
mv "$temporary" "$target_file"
trap - EXIT
