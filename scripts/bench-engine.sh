#!/usr/bin/env bash
# Builds the x86_64 flavour's install-job benchmark and runs it under Wine:
# staging a 50 MB setup folder of 200 files against xcopy /i, one
# IsSetupRunning check with 100 processes and 300 top-level windows, and the
# whole job of a setup that exits at once (Delay 0) on a real timer. Needs
# about 200 MB of free space in the Wine prefix's temporary folder.
exec bash "$(dirname "$0")/run-bench.sh" engine_bench Varnet01 kvt_fake_setup -- "$@"
