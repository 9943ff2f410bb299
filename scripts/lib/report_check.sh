# The history report as a browser shows it: a sample report (tests/history/report_sample) in
# headless Chromium, whose picture must hold the charts' lines and outage bands and the tables'
# text, not a blank page. Sourced by scripts/test; the picture stays in build/linux.

report_renders() {  # $1: the sample writer, $2: the folder for the page and its picture
  local sample=$1 out=$2 page shot deviation blue red dark
  page=$out/report-sample.html
  shot=$out/report-sample.png
  mkdir -p "$out"
  rm -f "$page" "$shot"
  "$sample" "$page" || return 1
  timeout 120 chromium --headless=new --no-sandbox --disable-gpu --hide-scrollbars \
    --user-data-dir="$out/chromium-profile" --window-size=1100,1400 \
    --screenshot="$shot" "file://$(realpath "$page")" >/dev/null 2>&1
  [ -s "$shot" ] || { echo "no picture"; return 1; }
  # Pixels of a colour, within a small tolerance.
  count_of() { convert "$shot" -alpha off -fuzz 12% -fill black +opaque "$1" -fill white -opaque "$1" \
    -format "%[fx:round(mean*w*h)]" info:; }
  deviation=$(convert "$shot" -colorspace Gray -format "%[fx:standard_deviation]" info:)
  blue=$(count_of "#1565c0")    # the hourly medians
  red=$(count_of "#f4bcbc")     # outage bands over the plot's background
  dark=$(count_of "#222222")    # text
  echo "picture: deviation $deviation, median-line pixels $blue, outage-band pixels $red, text pixels $dark"
  awk -v d="$deviation" -v b="$blue" -v r="$red" -v t="$dark" \
    'BEGIN { exit !(d > 0.05 && b > 300 && r > 300 && t > 2000) }'
}
