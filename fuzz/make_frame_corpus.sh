#!/usr/bin/env bash
# Rebuilds the seed corpus of the frame reader fuzz target: the heads of
# small lame files (CBR, VBR with a Xing header, MPEG-2, MPEG-2.5, mono) and
# hand-made cases (a false sync inside an ID3v2 tag, a header in the last
# bytes, a Xing header of 10000 frames).
set -euo pipefail
out=$(cd "$(dirname "$0")" && pwd)/corpus/frame_info
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
cd "$work"

tone_wav() { # seconds rate channels -> tone.wav (a plain PCM tone)
  python3 - "$@" <<'PY'
import math, struct, sys, wave
seconds, rate, channels = float(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3])
with wave.open("tone.wav", "wb") as w:
    w.setnchannels(channels); w.setsampwidth(2); w.setframerate(rate)
    n = int(seconds * rate)
    w.writeframes(b"".join(struct.pack("<h", int(9000 * math.sin(2 * math.pi * (220 + 300 * i / rate) * i / rate))) * channels for i in range(n)))
PY
}

tone_wav 1 44100 2
lame --quiet -b 128 tone.wav cbr.mp3
lame --quiet -V 2 tone.wav vbr.mp3
tone_wav 1 22050 2
lame --quiet -b 64 tone.wav mpeg2.mp3
tone_wav 1 11025 1
lame --quiet -b 32 tone.wav mpeg25.mp3
for f in cbr vbr mpeg2 mpeg25; do head -c 3000 "$f.mp3" > "$out/$f.mp3"; done

python3 - "$out" <<'PY'
import sys
out = sys.argv[1]
tag = bytearray(b"ID3\x03\x00\x00\x00\x00\x0f\x76" + b"T" * 1990)
tag[137:141] = b"\xff\xfb\x50\x40"
audio = bytearray(2000)
for at in range(0, 2000, 522):
    audio[at:at + 4] = b"\xff\xfb\xa0\x40"
open(out + "/id3_false_sync.mp3", "wb").write(tag + audio)
open(out + "/header_at_end.mp3", "wb").write(bytes(60) + b"\xff\xfb\x90\x40")
xing = bytearray(600)
xing[0:4] = b"\xff\xfb\x90\x40"
xing[36:48] = b"Xing\x00\x00\x00\x0f\x00\x00\x27\x10"
open(out + "/xing.mp3", "wb").write(xing)
PY
