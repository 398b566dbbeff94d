#!/usr/bin/env bash
# --video and --render over the same 3-second range: an MP4 (H.264 + AAC) and an MKV (H.264 +
# FLAC) hold exactly the frames --render writes, in the video's colour space, and the soundtrack
# slice in sync; --render's soundtrack.wav is that slice byte for byte.
# usage: video_output.sh <build-dir>
set -euo pipefail
build=$(cd "${1:-.}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
cd "$build"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "video_output: $*" >&2; exit 1; }

from=40000 to=43000 fps=25
frames=$(( (to - from) * fps / 1000 ))
./lumivane --render "$work/png" --fps $fps --from $from --to $to --seed 1 2>"$work/render.err" ||
  { cat "$work/render.err" >&2; fail "--render failed"; }

# The slice, cut independently from the WAV: frames [round(from * rate), round(to * rate)).
read -r rate channels slice_frames < <(python3 "$here/av_compare.py" slice data/vorsa.wav $from $to "$work/slice.raw")
tail -c +45 "$work/png/soundtrack.wav" | cmp -s - "$work/slice.raw" || fail "soundtrack.wav is not the slice"
[ "$(head -c 4 "$work/png/soundtrack.wav")" = RIFF ] || fail "soundtrack.wav has no RIFF header"

# PSNR of decoded frame k against --render's PNG k taken into BT.709 limited-range 4:2:0.
psnr() {  # video k png
  ffmpeg -v info -nostats -i "$1" -i "$3" -lavfi \
    "[0:v]select=eq(n\,$2),setpts=PTS-STARTPTS[a];[1:v]setpts=PTS-STARTPTS,scale=out_color_matrix=bt709:out_range=tv,format=yuv420p[b];[a][b]psnr" \
    -f null - 2>&1 | sed -n 's/.*PSNR.* average:\([0-9.inf]*\).*/\1/p'
}
probe() {  # video stream field: one value
  ffprobe -v error -count_frames -select_streams "$2" -show_entries "stream=$3" -of default=nw=1:nk=1 "$1"
}

for ext in mp4 mkv; do
  video="$work/range.$ext"
  ./lumivane --video "$video" --fps $fps --from $from --to $to --seed 1 2>"$work/$ext.err" ||
    { cat "$work/$ext.err" >&2; fail "--video $ext failed"; }
  grep -q '^GL renderer: ' "$work/$ext.err" || fail "$ext: no GL renderer line"
  [ ! -e "$video.part" ] || fail "$ext: $video.part left behind"

  # Exactly one H.264 stream with the expected frames at the asked rate, and one audio stream.
  [ "$(ffprobe -v error -show_entries stream=codec_type -of csv=p=0 "$video" | sort | tr '\n' ' ')" = "audio video " ] ||
    fail "$ext: streams are not one video and one audio"
  codec=$(probe "$video" v:0 codec_name) pix=$(probe "$video" v:0 pix_fmt)
  count=$(probe "$video" v:0 nb_read_frames) rfps=$(probe "$video" v:0 r_frame_rate)
  [ "$codec" = h264 ] && [ "$pix" = yuv420p ] || fail "$ext: video is $codec $pix"
  [ "$count" -eq "$frames" ] || fail "$ext: $count frames, $frames expected"
  [ "$rfps" = "$fps/1" ] || fail "$ext: frame rate $rfps"
  acodec=$(probe "$video" a:0 codec_name)
  if [ $ext = mp4 ]; then
    [ "$acodec" = aac ] || fail "mp4: audio is $acodec"
    [ "$(probe "$video" v:0 color_space,color_primaries,color_transfer | tr '\n' ,)" = "bt709,bt709,bt709," ] ||
      fail "mp4: not tagged BT.709"
    # The index comes before the media data (+faststart).
    ffprobe -v trace "$video" 2>&1 | grep -o "type:'\(moov\|mdat\)'" | head -1 | grep -q moov ||
      fail "mp4: moov is not at the front"
    frame_size=1024
  else
    [ "$acodec" = flac ] || fail "mkv: audio is $acodec"
    frame_size=4608
  fi

  # The decoded sound is the range's length within one audio frame, and in sync.
  ffmpeg -v error -y -i "$video" -map 0:a -f s16le -acodec pcm_s16le "$work/$ext.raw"
  decoded=$(( $(stat -c %s "$work/$ext.raw") / (2 * channels) ))
  diff=$(( decoded - slice_frames )); diff=${diff#-}
  [ "$diff" -le "$frame_size" ] || fail "$ext: $decoded sample frames decoded, $slice_frames in the range"
  read -r lag corr < <(python3 "$here/av_compare.py" lag "$work/slice.raw" "$work/$ext.raw" "$rate" "$channels")
  lag=${lag#-}
  [ "$lag" -le $(( rate / 1000 )) ] || fail "$ext: sound is off by $lag samples"
  awk -v c="$corr" 'BEGIN { exit !(c > 0.95) }' || fail "$ext: sound does not match the slice (correlation $corr)"
  if [ $ext = mkv ]; then
    cmp -s "$work/$ext.raw" "$work/slice.raw" || fail "mkv: FLAC does not decode to the slice exactly"
  fi

  # Frame k is --render's frame k: close in PSNR, and closer than its neighbour.
  for k in 0 $((frames / 2)) $((frames - 1)); do
    png=$(printf '%s/png/frame-%06d.png' "$work" $k)
    p=$(psnr "$video" $k "$png")
    awk -v p="$p" 'BEGIN { exit !(p == "inf" || p >= 35) }' || fail "$ext: frame $k PSNR $p dB against its PNG"
    if [ $k -gt 0 ]; then
      q=$(psnr "$video" $k "$(printf '%s/png/frame-%06d.png' "$work" $((k - 1)))")
      awk -v p="$p" -v q="$q" 'BEGIN { exit !(p > q) }' || fail "$ext: frame $k is closer to PNG $((k - 1))"
    fi
    echo "video_output: $ext frame $k: PSNR $p dB"
  done
  echo "video_output: $ext: $count frames at $rfps, $acodec $decoded sample frames (slice $slice_frames), lag $lag, correlation $corr"
done
