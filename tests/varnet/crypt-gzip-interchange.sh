#!/usr/bin/env bash
# Data files written compressed by Varnet01 are standard gzip files, and gzip
# files made by the Linux gzip tool are read by Varnet01.
#
#   crypt-gzip-interchange.sh WINE-RUN PREFIX CRYPT-TOOL
set -euo pipefail
wine_run=$1 prefix=$2 tool_exe=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
winpath() { printf 'Z:%s' "${1//\//\\}"; }
tool() { "$wine_run" --prefix "$prefix" "$tool_exe" "$@"; }
fail() { echo "FAIL: $*" >&2; exit 1; }

# 1. Compressed plain text: gzip sees the lines with CR LF.
tool write "$(winpath "$work/plain.gz")" wz "first line" "zweite Zeile" ""
gzip -t "$work/plain.gz" || fail "gzip rejects a compressed file"
diff <(gzip -dc "$work/plain.gz" | od -An -c) <(printf 'first line\r\nzweite Zeile\r\n\r\n' | od -An -c) \
  || fail "compressed text differs"

# 2. Scrambled and compressed: the content is the scrambled form, byte for byte.
tool write "$(winpath "$work/scrambled.gz")" zvw abc
expected='\313\326\324\303\362\371\360\364\240\326\240\240\261\256\260\260\341\342\343\034\031'
diff <(gzip -dc "$work/scrambled.gz" | od -An -tx1) <(printf "$expected" | od -An -tx1) \
  || fail "scrambled content differs"

# 3. A file made by gzip (best compression, with a name in its header).
printf 'one\r\ntwo\nthree' >"$work/text.txt"
gzip -9 -c "$work/text.txt" >"$work/fromgzip.gz"
out=$(tool read "$(winpath "$work/fromgzip.gz")")
[ "$out" = $'crypted=0\none\ntwo\nthree' ] || fail "reading gzip output gave: $out"

# 4. The scrambled form compressed by gzip is recognised as scrambled.
printf "$expected" | gzip -n >"$work/scrambled-by-gzip.gz"
out=$(tool read "$(winpath "$work/scrambled-by-gzip.gz")")
[ "$out" = $'crypted=1\nabc' ] || fail "reading scrambled gzip output gave: $out"

# 5. Two gzip members one after the other read as one text.
{ printf 'part one\r\n' | gzip; printf 'part two\r\n' | gzip; } >"$work/members.gz"
out=$(tool read "$(winpath "$work/members.gz")")
[ "$out" = $'crypted=0\npart one\npart two' ] || fail "reading concatenated members gave: $out"

echo "gzip interchange: ok"
