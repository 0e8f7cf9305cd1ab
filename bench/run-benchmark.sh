#!/bin/sh
# Runs the store benchmark and then LibreOffice on the same file, so that both
# sets of figures come from one run on one machine.
#
#   bench/run-benchmark.sh BUILD_DIR [quadrilo-bench options...]
set -eu

if [ $# -lt 1 ]; then
    echo "usage: $0 BUILD_DIR [--records N] [--contacts N] [--runs N]" >&2
    exit 2
fi
build=$1
shift
here=$(cd "$(dirname "$0")" && pwd)
bench=$build/bench/quadrilo-bench
if [ ! -x "$bench" ]; then
    echo "$0: $bench not found; build the target quadrilo-bench first" >&2
    exit 1
fi

# The open password of Protocollo.xls (store/Layout.h, kWorkbookPassword).
password=Mora4715

work=$(mktemp -d "${TMPDIR:-/tmp}/quadrilo-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

echo "date: $(date '+%Y-%m-%d %H:%M %z')"
echo "machine: $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1), $(uname -sr)"
echo "load average before: $(cut -d ' ' -f 1-3 /proc/loadavg)"
echo
"$bench" "$@" "$work"
echo
python3 "$here/lo_timing.py" "$work/Protocollo.xls" "$password"
echo
echo "load average after: $(cut -d ' ' -f 1-3 /proc/loadavg)"
