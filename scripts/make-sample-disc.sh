#!/bin/sh
# Makes the sample audio CD image: a .cue and a sparse .bin of four silent
# tracks, 13 minutes in all, for trying Marel without a drive.
set -e
dir=$1
mkdir -p "$dir"
rm -f "$dir/sample.bin"
# 13 minutes of CD audio: 75 frames of 2352 bytes a second.
truncate -s $((13 * 60 * 75 * 2352)) "$dir/sample.bin"
cat > "$dir/sample.cue" <<'CUE'
FILE "sample.bin" BINARY
  TRACK 01 AUDIO
    INDEX 01 00:00:00
  TRACK 02 AUDIO
    INDEX 01 03:12:40
  TRACK 03 AUDIO
    INDEX 01 06:47:05
  TRACK 04 AUDIO
    INDEX 01 09:58:70
CUE
