#!/usr/bin/env bash
# Draws the busy-indicator and banner-placeholder animations of the client with ImageMagick.
# The GIF files beside this script are its output, kept in the tree so a build needs no
# ImageMagick; run it again after changing a drawing.
set -euo pipefail
cd "$(dirname "$0")"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

# A ring of 12 dots; the bright one walks around, the ones behind it fade.
spinner() {
  local size=$1 out=$2
  local c r d
  c=$(echo "$size / 2" | bc -l)
  r=$(echo "$size * 0.36" | bc -l)
  d=$(echo "$size * 0.09" | bc -l)
  for f in $(seq 0 11); do
    local args=()
    for i in $(seq 0 11); do
      local age=$(( (f - i + 12) % 12 ))
      local alpha
      alpha=$(echo "1 - $age * 0.075" | bc -l)
      local x y
      x=$(echo "$c + $r * s($i * 3.14159265 / 6)" | bc -l)
      y=$(echo "$c - $r * c($i * 3.14159265 / 6)" | bc -l)
      args+=(-fill "rgba(169,194,51,$alpha)" -draw "circle $x,$y $(echo "$x + $d" | bc -l),$y")
    done
    convert -size "${size}x${size}" xc:none "${args[@]}" "$tmp/f$(printf %02d "$f").png"
  done
  convert -dispose background -delay 8 -loop 0 "$tmp"/f*.png "$out"
  rm -f "$tmp"/f*.png
}

spinner 28 busy28.gif
spinner 20 busy20.gif

# The header banner until the server sends one: the name, with a light sweeping across.
for f in $(seq 0 15); do
  x=$(( f * 40 - 80 ))
  convert -size 468x90 gradient:'#6b6159-#3e3833' \
    -fill 'rgba(255,255,255,0.18)' -draw "polygon $x,0 $((x + 40)),0 $((x + 10)),90 $((x - 30)),90" \
    -fill '#a9c233' -draw 'rectangle 0,80 468,90' \
    -font DejaVu-Sans-Bold -pointsize 30 -fill white -gravity center -annotate +0-8 'VEXOR B2B' \
    -font DejaVu-Sans -pointsize 14 -fill '#c4d84f' -gravity center -annotate +0+22 'Yedek parça siparişi artık çok kolay' \
    "$tmp/b$(printf %02d "$f").png"
done
convert -delay 12 -loop 0 "$tmp"/b*.png +dither -colors 64 -layers Optimize banner.gif
