#!/usr/bin/env bash
# Contact sheet of the built-in skin pictures: builds the native generator,
# writes every picture into build/skin-pictures/ and puts them together in
# build/skin-contact-sheet.png, each scaled 3x (nearest neighbour), with a red
# line between frames and its name, size and frame count beneath it.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${VENDRAKE_NATIVE_BUILD:-build/native}
out=build/skin-pictures
sheet=build/skin-contact-sheet.png

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja >/dev/null
fi
cmake --build "$build" --target skin_pictures >/dev/null
rm -rf "$out"
"$build/tools/native/skin_pictures" "$out" >/dev/null

tiles=$(mktemp -d)
trap 'rm -rf "$tiles"' EXIT
scale=3
i=0

# A title bar as the controls put it together, 300 pixels wide: the left and
# right pictures unscaled, the client picture stretched between them, the
# control box at the left offset and close, maximise and minimise from the
# right (offsets and top from the style table; magenta keyed out where the
# style's title buttons are transparent).
title_preview() {
  local prefix=$1 dest=$2 W=300
  local left=0 right=0 top=0 transparent=0
  case $prefix in
    MACOS) left=3; right=-2; top=4 ;;
    WINXP) left=2; right=-2; top=5 ;;
    DEEPBLUE) left=0; right=0; top=2 ;;
    PROTEIN) left=0; right=0; top=2; transparent=1 ;;
    BLUEGLASS) left=4; right=-3; top=6; transparent=1 ;;
  esac
  local h lw rw bw
  h=$(identify -format %h "$out/${prefix}_TITLE_LEFT.bmp")
  lw=$(identify -format %w "$out/${prefix}_TITLE_LEFT.bmp")
  rw=$(identify -format %w "$out/${prefix}_TITLE_RIGHT.bmp")
  bw=$(( $(identify -format %w "$out/${prefix}_TITLEBTN.bmp") / 18 ))
  local bar=$tiles/bar-$prefix.png
  convert -size ${W}x$h xc:black \
    \( "$out/${prefix}_TITLE_CLIENT.bmp" -resize "$((W - lw - rw))x$h!" \) -geometry +$lw+0 -composite \
    "$out/${prefix}_TITLE_LEFT.bmp" -geometry +0+0 -composite \
    "$out/${prefix}_TITLE_RIGHT.bmp" -geometry +$((W - rw))+0 -composite "$bar"
  local frame x=$((W + 1 + right))
  btn() {  # frame number, x
    local f=$tiles/btn.png
    convert "$out/${prefix}_TITLEBTN.bmp" -crop "${bw}x$(identify -format %h "$out/${prefix}_TITLEBTN.bmp")+$(( ($1 - 1) * bw ))+0" +repage "$f"
    if [ "$transparent" = 1 ]; then convert "$f" -transparent '#FF00FF' "$f"; fi
    convert "$bar" "$f" -geometry +$2+$top -composite "$bar"
  }
  for frame in 16 7 13; do x=$((x - bw - 1)); btn $frame $x; done
  btn 1 $left
  local caption_x=$((left + bw + 5)) colour=white
  [ "$prefix" = MACOS ] && colour=black
  convert "$bar" -font DejaVu-Sans-Bold -pointsize 11 -fill $colour -gravity northwest \
    -annotate +$caption_x+$((top + (bw - 13) / 2)) "Vendrake" \
    -filter point -scale "$((scale * 100))%" -bordercolor '#808080' -border 1 \
    -background white -gravity center -font DejaVu-Sans -pointsize 11 \
    label:"title bar as assembled (${W}x$h)" -append "$dest"
}
# One row per style, the fixed names last.
for prefix in MACOS WINXP DEEPBLUE PROTEIN BLUEGLASS MORE MENU; do
  row=()
  while read -r name size frames; do
    case "$prefix" in
      MACOS) [[ $name == MACOS_* ]] || continue ;;
      MENU) [[ $name == MENU_* ]] || continue ;;
      *) [[ $name == ${prefix}_* ]] || continue ;;
    esac
    w=${size%x*}; h=${size#*x}
    fw=$(( w / frames ))
    draw=()
    for (( k = 1; k < frames; k++ )); do
      x=$(( k * fw * scale ))
      draw+=(-draw "line $x,0 $x,$(( h * scale - 1 ))")
    done
    i=$((i + 1))
    tile=$(printf '%s/%03d.png' "$tiles" "$i")
    convert "$out/$name.bmp" -filter point -scale "$((scale * 100))%" \
      -fill none -stroke '#FF2020' -strokewidth 1 "${draw[@]}" \
      -bordercolor '#808080' -border 1 \
      -background white -gravity center -font DejaVu-Sans -pointsize 11 \
      label:"$name  ${fw}x${h} x$frames" -append "$tile"
    row+=("$tile")
  done < <("$build/tools/native/skin_pictures" --list)
  [ ${#row[@]} -gt 0 ] || continue
  if [ -f "$out/${prefix}_TITLE_LEFT.bmp" ]; then
    title_preview "$prefix" "$tiles/title-$prefix.png"
    row=("$tiles/title-$prefix.png" "${row[@]}")
  fi
  montage "${row[@]}" -tile 6x -geometry +8+8 -background '#F0F0F0' "$tiles/row-$prefix.png"
  convert "$tiles/row-$prefix.png" -background '#303030' -fill white -font DejaVu-Sans-Bold -pointsize 16 \
    -gravity west label:" $prefix" +swap -append "$tiles/row-$prefix.png"
done
convert $(for p in MACOS WINXP DEEPBLUE PROTEIN BLUEGLASS MORE MENU; do
            [ -f "$tiles/row-$p.png" ] && echo "$tiles/row-$p.png"; done) \
  -background white -gravity northwest -append "$sheet"
echo "$root/$sheet"
