#!/bin/sh
# Runs one Windows program under Wine for ctest. Its output goes through a file: a Wine service
# that the program happens to start (services, plugplay, a device host) inherits that file, not
# ctest's pipe, so ctest is not left waiting for the service to end once the program has.
out=$(mktemp "${TMPDIR:-/tmp}/vexlor-wine.XXXXXX") || exit 1
wine "$@" >"$out" 2>&1 </dev/null
rc=$?
cat "$out"
rm -f "$out"
exit $rc
