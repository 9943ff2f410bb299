#!/usr/bin/env bash
# Renders the artwork in src/ to rendered/<name>.png at each picture's own size.
# Uses rsvg-convert (librsvg2-bin); ImageMagick's convert as a fallback.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$here/rendered"
for svg in "$here"/src/*.svg; do
  name=$(basename "$svg" .svg)
  out="$here/rendered/$name.png"
  if command -v rsvg-convert >/dev/null; then
    rsvg-convert --format=png --output="$out" "$svg"
  else
    /usr/bin/convert -background none "$svg" "$out"
  fi
  echo "$name.png"
done
# The application icon also at 256 px, the largest image of the Windows icon (Explorer's large
# views), drawn from the vector source rather than scaled up.
if command -v rsvg-convert >/dev/null; then
  rsvg-convert --format=png -w 256 -h 256 --output="$here/rendered/app_icon_256.png" "$here/src/app_icon.svg"
else
  /usr/bin/convert -background none -density 384 "$here/src/app_icon.svg" -resize 256x256 \
    "$here/rendered/app_icon_256.png"
fi
echo "app_icon_256.png"
