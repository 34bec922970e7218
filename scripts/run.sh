#!/usr/bin/env bash
# Builds and runs the station's main job on a simulated telemetry stream.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
sample=build/sample-blocks.bin
python3 - "$sample" <<'PY'
import sys
# Three 514-byte blocks (A, K, and an A with a broken CRCC) for the receiver to judge.
def crcc(data):
    r = 0xFFFF
    for b in data:
        r ^= b << 8
        for _ in range(8):
            r = ((r << 1) ^ 0x1021) if r & 0x8000 else (r << 1)
            r &= 0xFFFF
    return r
out = bytearray()
for kind, good in ((b"A ", True), (b"K ", True), (b"A ", False)):
    body = bytearray(kind + b"AO-40 sample block".ljust(510, b" "))
    c = crcc(body)
    if not good:
        c ^= 1
    out += body + bytes([c >> 8, c & 0xFF])
open(sys.argv[1], "wb").write(out)
PY
for i in 0 1 2; do
  dd if="$sample" of=build/sample-one.bin bs=514 skip=$i count=1 status=none
  echo "block $((i+1)): CRCC $(head -c 512 build/sample-one.bin | ./build/src/app/orv-cli crcc /dev/stdin), received $(tail -c 2 build/sample-one.bin | od -An -tx1 | tr -d ' \n' | tr a-f A-F)"
done
./build/src/app/orv-cli date "$(date -u +%F)"
