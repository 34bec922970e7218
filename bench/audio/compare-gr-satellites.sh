#!/usr/bin/env bash
# The same recordings through gr-satellites (the field's reference decoder, Debian's package, used
# here for comparison only) and through orv-cli audio: blocks and frames each decodes. Installs
# gr-satellites if it is missing (as root). Run from anywhere; BUILD may name the build directory
# (default: build in the repository), COUNT the transmissions per recording (default 20).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${BUILD:-$root/build}"
count="${COUNT:-20}"
if ! command -v gr_satellites >/dev/null; then
  apt-get update
  apt-get install -y gr-satellites
fi
cmake --build "$build" --target orv_beacon_recording orv-cli -j2 >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# GNU Radio 3.10 keeps the item types in gr.types; Debian 12's gr-satellites 4.4 looks for them in
# gr.blocks and stops at start-up without this.
shim="$work/shim"
mkdir -p "$shim"
cat >"$shim/sitecustomize.py" <<'PY'
from gnuradio import blocks, gr
for name in ("byte_t", "float_t", "complex_t", "int_t", "short_t"):
    if not hasattr(blocks, name) and hasattr(gr.types, name):
        setattr(blocks, name, getattr(gr.types, name))
PY
echo "| recording | transmissions | gr-satellites | orv-cli audio |"
echo "|---|---|---|---|"
# kind, Es/N0, impairment
while read -r kind esno impairment; do
  wav="$work/$kind-$esno-$impairment.wav"
  "$build/bench/audio/orv_beacon_recording" "$wav" "$kind" "$count" "$esno" "$impairment"
  # gr-satellites prints each block or frame it decoded as a PDU; count those that are exactly
  # one that was sent.
  PYTHONPATH="$shim${PYTHONPATH:+:$PYTHONPATH}" timeout 900 gr_satellites AO-40 --wavfile "$wav" --samp_rate 48000 --hexdump \
    >"$work/gr.txt" 2>/dev/null </dev/null || true
  gr=$(python3 - "$work/gr.txt" "$wav.bytes" "$kind" <<'PY'
import re, sys
text, sent, kind = open(sys.argv[1]).read(), open(sys.argv[2], 'rb').read(), sys.argv[3]
size = 256 if kind == 'fec' else 514
want = {sent[i:i + size] for i in range(0, len(sent), size)}
got = set()
for pdu in text.split('pdu vector contents =')[1:]:
    hexes = re.findall(r'^[0-9a-f]{4}: ((?:[0-9a-f]{2} ?)+)', pdu, re.M)
    data = bytes.fromhex(''.join(hexes).replace(' ', ''))
    if data[:size] in want:
        got.add(data[:size])
print(len(got))
PY
)
  "$build/src/app/orv-cli" audio "$wav" --log "$work/orv.log" 2>"$work/orv.txt" >/dev/null </dev/null || true
  if [ "$kind" = fec ]; then
    orv=$(sed -n 's/.*blocks (\([0-9]*\) uncoded with CRCC OK, \([0-9]*\) from FEC frames).*/\2/p' "$work/orv.txt")
  else
    orv=$(sed -n 's/.*blocks (\([0-9]*\) uncoded with CRCC OK, \([0-9]*\) from FEC frames).*/\1/p' "$work/orv.txt")
  fi
  echo "| $kind, $impairment, Es/N0 $esno dB | $count | $gr | $orv |"
done <<'LIST'
uncoded 13 white
uncoded 13 phase3
uncoded 10 white
uncoded 13 tone
uncoded 13 all
fec 10 white
fec 6 white
fec 3 white
fec 2 white
fec 13 tone
fec inf white
LIST
