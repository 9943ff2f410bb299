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
