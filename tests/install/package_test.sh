#!/usr/bin/env bash
# Makes the Debian package of the build directory with cpack in a temporary
# directory, as scripts/package does for its Release build, and checks it
# with packaging/check-deb (exit 77: all but the service unit checked).
#   package_test.sh BUILD_DIR LAYOUT.sh CHECK_DEB
set -euo pipefail
build=$1
layout=$2
check_deb=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || {
  cat "$work/cpack.log" >&2
  exit 1
}
packages=("$work"/talor_*.deb)
if [[ ${#packages[@]} -ne 1 || ! -f "${packages[0]}" ]]; then
  echo "cpack made no single talor package: ${packages[*]}" >&2
  exit 1
fi
status=0
"$check_deb" "$layout" "${packages[0]}" || status=$?
exit "$status"
