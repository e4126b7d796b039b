#!/usr/bin/env bash
# Builds the x86_64 flavour's project-file benchmark and runs it under Wine:
# CopyFileGroup against xcopy /e /i on a generated 200 MB medium, and
# MoveDriveLetters against a plain read of a 64 MB file. Needs about 1 GB of
# free space in the Wine prefix's temporary folder while it runs.
exec bash "$(dirname "$0")/run-bench.sh" projectfiles_bench Varnet01 -- "$@"
