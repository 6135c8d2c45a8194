#!/usr/bin/env bash
# Makes the clips the playback tests read, with real encoders and taggers, and a manifest
# with what ffprobe says of each:
#   make_playback_corpus.sh OUT_DIR
# manifest.txt lines: name expect rate channels layer frames duration_ms cbr tones
#   expect: ok (playable) or noframe (no frame within the search limit);
#   frames, duration_ms: ffprobe's count of audio frames and duration (0 when not known);
#   tones: 1 when second k of the clip is a tone of 400 + 100 k Hz.
set -euo pipefail
out=${1:?usage: make_playback_corpus.sh OUT_DIR}
mkdir -p "$out"
cd "$out"
rm -f manifest.txt

# Ten seconds, each with a tone of its own.
tones() {  # RATE CHANNELS FILE
  local parts=() k
  for k in 0 1 2 3 4 5 6 7 8 9; do
    sox -q -n -r "$1" -c "$2" "tone$k-$1-$2.wav" synth 1 sine $((400 + 100 * k)) vol 0.5
    parts+=("tone$k-$1-$2.wav")
  done
  sox -q "${parts[@]}" "$3"
  rm -f "${parts[@]}"
}
tones 44100 1 mono44.wav
tones 44100 2 stereo44.wav
tones 48000 2 stereo48.wav
tones 22050 1 mono22.wav
tones 24000 1 mono24.wav
tones 11025 1 mono11.wav

lame --quiet -b 96 -m m -p mono44.wav recording.mp3   # the program's own format
lame --quiet -b 128 stereo44.wav stereo128.mp3
lame --quiet -b 128 stereo48.wav stereo48.mp3
lame --quiet -b 64 mono22.wav mpeg2_22050.mp3
lame --quiet -b 64 mono24.wav mpeg2_24000.mp3
lame --quiet -b 32 mono11.wav mpeg25_11025.mp3
lame --quiet -V 2 stereo44.wav vbr.mp3
twolame --quiet -b 192 stereo44.wav layer2.mp2
lame --quiet -b 96 -m m --freeformat mono44.wav freeformat.mp3

cp recording.mp3 id3v23.mp3
id3v2 -a "An Artist" -t "A Title" id3v23.mp3
ffmpeg -loglevel error -y -i recording.mp3 -c copy -write_xing 0 -id3v2_version 4 \
  -metadata title="A Title" id3v24.mp3
# A tag larger than the search limit: 150000 bytes of padding after one text frame.
python3 - recording.mp3 bigtag.mp3 <<'PY'
import struct, sys
audio = open(sys.argv[1], 'rb').read()
text = b'\x00A Title'
frame = b'TIT2' + struct.pack('>I', len(text)) + b'\x00\x00' + text
body = frame + bytes(150000)
size = len(body)
syncsafe = bytes([(size >> 21) & 0x7F, (size >> 14) & 0x7F, (size >> 7) & 0x7F, size & 0x7F])
open(sys.argv[2], 'wb').write(b'ID3\x03\x00\x00' + syncsafe + body + audio)
PY
# What comes before the first frame. A fake stream: two MPEG-2.5 Layer I frames at 12 kHz,
# each header followed by the next, as a cover picture or junk may hold by chance.
fake_stream="bytes.fromhex('ffe714c0') + bytes(range(124)) + bytes.fromhex('ffe714c0') + bytes(124)"
# Two ID3v2 tags in a row, the second with a cover picture that carries the fake stream
# after its end, where viewers do not look. The first ends in a version 4 footer.
convert -seed 16 -size 256x256 plasma:fractal -quality 80 cover.jpg
python3 - stereo128.mp3 cover.jpg twotags.mp3 <<PY
import struct, sys
def tag(version, frames, flags=0):
    body = b''.join(frames) + bytes(64)
    n = len(body)
    size = bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])
    footer = b'3DI' + bytes([version, 0, flags]) + size if flags & 0x10 else b''
    return b'ID3' + bytes([version, 0, flags]) + size + body + footer
def frame(name, data):
    return name + struct.pack('>I', len(data)) + b'\\x00\\x00' + data
picture = open(sys.argv[2], 'rb').read() + $fake_stream
first = tag(4, [frame(b'TIT2', b'\\x03A Title\\x00')], flags=0x10)
second = tag(3, [frame(b'APIC', b'\\x00image/jpeg\\x00\\x03\\x00' + picture)])
open(sys.argv[3], 'wb').write(first + second + open(sys.argv[1], 'rb').read())
PY
rm -f cover.jpg
# Junk in front of the audio: the fake stream's first frame followed by noise, whose bytes
# hold further sync patterns by chance.
python3 - stereo128.mp3 junkfront.mp3 <<PY
import random, sys
random.seed(17)
junk = ($fake_stream)[:128] + bytes(random.randrange(256) for _ in range(30000))
open(sys.argv[2], 'wb').write(junk + open(sys.argv[1], 'rb').read())
PY
# Variable bit rate from another writer of the Xing frame, behind an ID3v2.4 tag.
ffmpeg -loglevel error -y -i stereo44.wav -c:a libmp3lame -q:a 4 vbr_ffmpeg.mp3
# Variable bit rate described by a VBRI frame, as Fraunhofer's encoders write it: LAME's
# Xing frame emptied and its frame count moved into a VBRI header with no table.
python3 - vbr.mp3 vbri.mp3 <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], 'rb').read())
xing = data.find(b'Xing')
assert 0 < xing < 64, 'no Xing frame at the start'
frames = struct.unpack('>I', data[xing + 8:xing + 12])[0]
size = 144 * 128000 // 44100  # the Xing frame: MPEG-1 Layer III at 128 kbit/s, 44.1 kHz
assert data[0:2] == b'\xff\xfb' and data[2] >> 2 == 0x24, 'not a 128 kbit/s, 44.1 kHz frame'
size += (data[2] >> 1) & 1
data[4:size] = bytes(size - 4)
data[36:36 + 26] = b'VBRI' + struct.pack('>HHHIIHHHH', 1, 0, 75, len(data), frames, 0, 1, 2, 0)
open(sys.argv[2], 'wb').write(data)
PY
# Clips joined end to end, as simple joining tools make them: each half keeps its Info
# frame and its tags. joined.mp3: the second half tagged by id3v2 (ID3v2 in front, ID3v1 at
# the end). joined_cover.mp3: the first half tagged too, with an APE tag before its ID3v1,
# and the second behind an ID3v2 tag with a cover picture larger than the search limit.
sox -q mono44.wav first.wav trim 0 5
sox -q mono44.wav second.wav trim 5
lame --quiet -b 96 -m m -p first.wav first.mp3
lame --quiet -b 96 -m m -p second.wav second.mp3
cp second.mp3 second_tagged.mp3
id3v2 -a "An Artist" -t "Second Half" second_tagged.mp3
cat first.mp3 second_tagged.mp3 >joined.mp3
convert -seed 23 -size 640x640 plasma:fractal -quality 92 cover.jpg
python3 - first.mp3 second.mp3 cover.jpg joined_cover.mp3 <<'PY'
import struct, sys
first, second, picture = (open(name, 'rb').read() for name in sys.argv[1:4])
assert len(picture) > 131072, 'the cover must outgrow the search limit'
def frame(name, data):
    return name + struct.pack('>I', len(data)) + b'\x00\x00' + data
def id3v2(frames):
    body = b''.join(frames) + bytes(256)
    n = len(body)
    return b'ID3\x03\x00\x00' + bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F]) + body
def ape(items):
    body = b''.join(struct.pack('<II', len(v), 0) + k + b'\x00' + v for k, v in items)
    def block(flags):
        return b'APETAGEX' + struct.pack('<IIII', 2000, len(body) + 32, len(items), flags) + bytes(8)
    return block(0xA0000000) + body + block(0x80000000)
id3v1 = b'TAG' + b'First Half'.ljust(30, b'\x00') + bytes(94) + b'\xff'
out = id3v2([frame(b'TIT2', b'\x00First Half')]) + first + ape([(b'Title', b'First Half')]) + id3v1
out += id3v2([frame(b'TIT2', b'\x00Second Half'),
              frame(b'APIC', b'\x00image/jpeg\x00\x03\x00' + picture)]) + second
open(sys.argv[4], 'wb').write(out)
PY
rm -f cover.jpg first.wav second.wav second_tagged.mp3
# Garbage without a single 0xFF byte, below and above the 131072-byte search limit.
python3 -c "
import random, sys
random.seed(4)
for name, n in (('garbage_small.mp3', 60000), ('garbage_large.mp3', 200000)):
    junk = bytes(random.randrange(0, 0xFF) for _ in range(n))
    open(name, 'wb').write(junk + open('recording.mp3', 'rb').read())
"
# Random bytes: headers by chance, with bodies of noise.
python3 -c "
import random
random.seed(7)
open('random.mp3', 'wb').write(bytes(random.randrange(256) for _ in range(300000)))
"
# 0xFF before the first header: the window 0xFFFFFBxx must be passed over.
{ printf '\377'; cat stereo128.mp3; } >ffprefix.mp3
head -c 2000 /dev/zero | tr '\0' '\377' >allff.mp3
size=$(stat -c %s recording.mp3)
head -c $((size - 150)) recording.mp3 >truncated.mp3
# No encoder's count: variable bit rate written without a Xing frame (as to a pipe), also
# after ten seconds of silence at the lowest rate; and a file whose Info frame counts twice
# what is left of it, as a download that stopped leaves it.
lame --quiet -V 5 -t stereo44.wav vbr_noxing.mp3
sox -q -n -r 44100 -c 2 silence.wav trim 0 10
sox -q -n -r 44100 -c 2 noise.wav synth 10 pinknoise vol 0.5
sox -q silence.wav noise.wav leadin.wav
lame --quiet -V 5 -t leadin.wav vbr_leadin.mp3
rm -f silence.wav noise.wav leadin.wav
size=$(stat -c %s stereo128.mp3)
head -c $((size / 2)) stereo128.mp3 >info_cut.mp3
# A clip of one frame (the second of the recording: the first is LAME's Info frame) with an
# ID3v1 tag after it.
python3 - recording.mp3 oneframe_tag.mp3 <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
def length(at):  # MPEG-1 Layer III at 96 kbit/s, 44.1 kHz
    assert data[at] == 0xFF and data[at + 2] >> 4 == 7, 'not a 96 kbit/s frame'
    return 144 * 96000 // 44100 + ((data[at + 2] >> 1) & 1)
second = length(0)
open(sys.argv[2], 'wb').write(data[second:second + length(second)] + b'TAG' + bytes(125))
PY
: >empty.mp3

probe() {  # FILE -> "rate channels layer frames duration_ms"
  local info codec rate channels frames duration
  info=$(ffprobe -v error -count_frames -select_streams a:0 \
    -show_entries stream=codec_name,sample_rate,channels,nb_read_frames,duration -of csv=p=0 "$1")
  IFS=, read -r codec rate channels duration frames <<<"$info"
  case $codec in mp3) layer=3 ;; mp2) layer=2 ;; mp1) layer=1 ;; *) layer=0 ;; esac
  echo "$rate $channels $layer $frames $(awk -v d="$duration" 'BEGIN { printf "%d", d * 1000 }')"
}
add() {  # NAME EXPECT CBR TONES
  echo "$1 $2 $(probe "$1") $3 $4" >>manifest.txt
}
add recording.mp3 ok 1 1
add stereo128.mp3 ok 1 1
add stereo48.mp3 ok 1 1
add mpeg2_22050.mp3 ok 1 1
add mpeg2_24000.mp3 ok 1 1
add mpeg25_11025.mp3 ok 1 1
add vbr.mp3 ok 0 1
add vbr_ffmpeg.mp3 ok 0 1
add vbri.mp3 ok 0 1
add twotags.mp3 ok 1 1
add junkfront.mp3 ok 1 1
add layer2.mp2 ok 1 1
add id3v23.mp3 ok 1 1
add id3v24.mp3 ok 1 1
add bigtag.mp3 ok 1 1
add garbage_small.mp3 ok 1 1
add ffprefix.mp3 ok 1 1
add truncated.mp3 ok 1 0
# For these ffprobe's own duration is a guess from the bit rate or the Info frame: theirs is
# the frames it read, 1152 samples each.
add_counted() {  # NAME CBR TONES
  local r c l f d
  read -r r c l f d <<<"$(probe "$1")"
  echo "$1 ok $r $c $l $f $((f * 1152 * 1000 / r)) $2 $3" >>manifest.txt
}
add_counted vbr_noxing.mp3 0 1
add_counted vbr_leadin.mp3 0 0
add_counted info_cut.mp3 1 0
# ffprobe cannot read a clip of one frame: one frame of 26 ms, mono.
echo "oneframe_tag.mp3 ok 44100 1 3 1 26 1 0" >>manifest.txt
# A joined clip lasts as long as its halves together, as ffprobe finds them one by one.
add_joined() {  # NAME
  local r c l f1 d1 f2 d2
  read -r r c l f1 d1 <<<"$(probe first.mp3)"
  read -r _ _ _ f2 d2 <<<"$(probe second.mp3)"
  echo "$1 ok $r $c $l $((f1 + f2)) $((d1 + d2)) 1 1" >>manifest.txt
}
add_joined joined.mp3
add_joined joined_cover.mp3
rm -f first.mp3 second.mp3
echo "garbage_large.mp3 noframe 0 0 0 0 0 0 0" >>manifest.txt
echo "freeformat.mp3 noframe 0 0 0 0 0 0 0" >>manifest.txt
echo "allff.mp3 noframe 0 0 0 0 0 0 0" >>manifest.txt
echo "empty.mp3 noframe 0 0 0 0 0 0 0" >>manifest.txt
# Speech-like clips for the level scan: loud and quiet stretches and pauses, with the peak of
# every 200 ms as ffmpeg's astats measures it (NAME.peaks, one dB figure a line).
speech() {  # RATE CHANNELS FILE
  sox -q -n -r "$1" -c "$2" "$3" synth 1.3 pinknoise vol 0.5 : synth 0.6 sine 300 vol 0 : \
    synth 0.9 sine 200-2000 vol 0.1 : synth 0.5 sine 300 vol 0 : synth 1.1 pinknoise tremolo 4 80 vol 0.8 : \
    synth 0.8 sine 300 vol 0 : synth 1.0 pinknoise vol 0.03 : synth 0.4 sine 300 vol 0 : synth 1.2 sine 440 vol 0.3
}
peaks() {  # CLIP RATE
  ffmpeg -loglevel error -i "$1" -af "asetnsamples=n=$(($2 / 5)):p=0,astats=metadata=1:reset=1,ametadata=print:key=lavfi.astats.Overall.Peak_level:file=$1.raw" -f null -
  sed -n 's/^lavfi.astats.Overall.Peak_level=//p' "$1.raw" >"$1.peaks"
  rm -f "$1.raw"
}
speech 44100 1 speech44.wav
speech 48000 2 speech48.wav
speech 11025 1 speech11.wav
lame --quiet -b 96 -m m speech44.wav speech44.mp3
ffmpeg -loglevel error -y -i speech48.wav -c:a libmp3lame -b:a 160k speech48.mp3
lame --quiet -b 24 speech11.wav speech11.mp3
peaks speech44.mp3 44100
peaks speech48.mp3 48000
peaks speech11.mp3 11025
# Seven minutes of it, for a scan long enough to watch.
sox -q speech44.wav speech44_long.wav repeat 47
lame --quiet -b 96 -m m speech44_long.wav speech44_long.mp3
rm -f ./*.wav
echo "corpus ready in $out"
