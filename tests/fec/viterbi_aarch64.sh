#!/usr/bin/env bash
# Builds the portable Viterbi kernel for 64-bit ARM (what a Raspberry Pi 3 to 5 runs) with Debian's
# cross compiler, checks that the compiler made vector code of it (NEON compares and interleaves in
# AcsPortable), and runs viterbi_portable_check.cpp under qemu-aarch64.
# Usage: viterbi_aarch64.sh [CXX [QEMU]]  (defaults aarch64-linux-gnu-g++, qemu-aarch64)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cxx="${1:-aarch64-linux-gnu-g++}"
qemu="${2:-qemu-aarch64}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
flags=(-std=c++20 -O3 -DNDEBUG -I"$root/src")
"$cxx" "${flags[@]}" -S -o "$work/viterbi.s" "$root/src/fec/viterbi.cpp"
kernel="$(awk '/^_ZN3orv7viterbi11AcsPortable/,/\.cfi_endproc/' "$work/viterbi.s")"
compares=$(grep -cE "cmgt\s+v[0-9]+\.4s" <<<"$kernel" || true)
interleaves=$(grep -cE "zip[12]\s+v[0-9]+\.4s" <<<"$kernel" || true)
echo "AcsPortable for aarch64: $compares NEON compares, $interleaves NEON interleaves"
if [ "$compares" -lt 16 ] || [ "$interleaves" -lt 16 ]; then
  echo "the portable kernel is not vector code on aarch64" >&2
  exit 1
fi
"$cxx" "${flags[@]}" -static -o "$work/check" "$root/tests/fec/viterbi_portable_check.cpp" \
  "$root/src/fec/viterbi.cpp" "$root/src/fec/fec_tables.cpp"
"$qemu" "$work/check"
