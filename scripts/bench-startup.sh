#!/usr/bin/env bash
# Builds the x86_64 flavour's start-up benchmark and runs it under Wine:
# N starts (default 15) of KVTInstall on the sample medium until its main
# dialog shows, interleaved with N starts of a bare dialog program, medians
# and their ratio.
exec bash "$(dirname "$0")/run-bench.sh" startup_bench KVTInstall kvt_bare_dialog -- "$@"
