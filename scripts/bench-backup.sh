#!/usr/bin/env bash
# Builds the x86_64 flavour's backup benchmark and runs it under Wine: the
# backup copy of a generated 2,000-file, 200 MB installation against
# xcopy /e /i of the same tree. Needs about 700 MB of free space in the Wine
# prefix's temporary folder (or in the folder given as argument).
exec bash "$(dirname "$0")/run-bench.sh" backup_bench -- "$@"
