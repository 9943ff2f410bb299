#!/usr/bin/env bash
# Takes the README's screenshots: the program from a clean folder on a virtual screen (Xvfb,
# openbox for window frames), checking a few sites served on 127.0.0.1.
# Usage: docs/linux/take.sh [path to the lantervo program]
# Needs xvfb, imagemagick, xdotool, x11-utils and python3; openbox for the frames.
set -euo pipefail
docs=$(cd "$(dirname "$0")" && pwd)
program=$(realpath "${1:-$docs/../../build/qt-release/frontends/qt/lantervo}")
work=$(mktemp -d /tmp/lantervo-shots.XXXXXX)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT

number_file="$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$number_file" ] && break; sleep 0.1; done
export DISPLAY=":$(head -1 "$number_file")"
if command -v openbox >/dev/null; then openbox >/dev/null 2>&1 & pids+=($!); fi

# The sites: two fine, one with the wrong text, one port nobody listens on.
mkdir -p "$work/web" "$work/app" "$work/config/lantervo"
echo '<html><body>Service status: operational.</body></html>' >"$work/web/index.html"
echo '<html><body>Shop is closed for maintenance.</body></html>' >"$work/web/shop.html"
cp "$work/web/index.html" "$work/web/status.html"
python3 -m http.server 0 --bind 127.0.0.1 --directory "$work/web" >"$work/web.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do grep -q 'port' "$work/web.log" && break; sleep 0.1; done
port=$(grep -o 'port [0-9]*' "$work/web.log" | head -1 | grep -o '[0-9]*')
site="http://127.0.0.1:$port"

cat >"$work/config/lantervo/registry.reg" <<REG
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\\Software\\QUORVIK Media\\Lantervo]
"Version"="0.9.19"
"CheckUpdate"=dword:00000000
"VerifyURL"="http://"
"VerifyEnabled"=dword:00000000
"CheckInterval"="5"
"LogFile"="$work/app/LTV.log"
"LogEnabled"=dword:00000001
"BalloonLevel"="3"
"HotkeyEnabled"=dword:00000000
"Language"="en"
REG
row() {  # name url active response
  local check=FALSE
  [ -n "$4" ] && check=TRUE
  printf '<ROW Name="%s" Status="" Result="Waiting..." Url="%s" Active="%s" LoadTime="-1" Timeout="500" TimeoutEnabled="TRUE" Response="%s" ResponseEnabled="%s"/>' \
    "$1" "$2" "$3" "$4" "$check"
}
{
  printf '<?xml version="1.0" standalone="yes"?>  <DATAPACKET Version="2.0"><METADATA><FIELDS>'
  printf '<FIELD attrname="Name" fieldtype="string" WIDTH="200"/><FIELD attrname="Status" fieldtype="string" WIDTH="10"/>'
  printf '<FIELD attrname="Result" fieldtype="string" WIDTH="50000"/><FIELD attrname="Url" fieldtype="string" WIDTH="500"/>'
  printf '<FIELD attrname="Active" fieldtype="boolean"/><FIELD attrname="LoadTime" fieldtype="i4"/>'
  printf '<FIELD attrname="Timeout" fieldtype="i4"/><FIELD attrname="TimeoutEnabled" fieldtype="boolean"/>'
  printf '<FIELD attrname="Response" fieldtype="string" WIDTH="50000"/><FIELD attrname="ResponseEnabled" fieldtype="boolean"/>'
  printf '</FIELDS><PARAMS/></METADATA><ROWDATA>'
  row "Company website" "$site/" TRUE ""
  row "Online shop" "$site/shop.html" TRUE "In stock"
  row "Customer portal" "http://127.0.0.1:9/" TRUE ""
  row "Old blog" "$site/blog/" FALSE ""
  row "Status page" "$site/status.html" TRUE ""
  printf '</ROWDATA></DATAPACKET>'
} >"$work/app/LTV.xml"

cp "$program" "$work/app/lantervo"
# A Czech user: the table keeps Czech texts in the Central European code page.
LANG=cs_CZ.UTF-8 XDG_CONFIG_HOME="$work/config" "$work/app/lantervo" >"$work/program.log" 2>&1 &
pids+=($!)

window() {  # waits for a visible window whose title matches, prints its id
  local id
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) && [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.1
  done
  echo "no window '$1'" >&2
  import -window root /tmp/lantervo-shots-failed.png
  return 1
}
shot() { import -frame -window "$1" "$docs/$2"; echo "$docs/$2"; }
click() { xdotool mousemove --sync "$1" "$2" click 1; sleep 0.8; }
geometry() {  # the client area's screen position of a window: x y
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF} END {print x, y}'
}

main=$(window 'Lantervo 0.9.19')
# The first run ends one interval after the start.
for _ in $(seq 150); do grep -q 'Completed with problems\|Completed' "$work/app/LTV.log" 2>/dev/null && break; sleep 0.1; done
sleep 1
shot "$main" main_window.png

read -r mx my < <(geometry "$main")
xdotool windowactivate --sync "$main"
xdotool key ctrl+n
dialog=$(window 'Add new server')
shot "$dialog" server_dialog.png
read -r dx dy < <(geometry "$dialog")
click $((dx + 190)) $((dy + 293))  # Cancel

xdotool windowactivate --sync "$main"
xdotool key ctrl+s
settings=$(window 'Application settings')
shot "$settings" settings.png
read -r sx sy < <(geometry "$settings")
click $((sx + 189)) $((sy + 476))  # Cancel

# About, from the Help menu, its second item, while the program speaks English.
click $((mx + ${HELP_MENU_X:-197})) $((my + 9))
xdotool key Down Down Return
about=$(window 'About')
shot "$about" about.png
xdotool windowactivate --sync "$about" key Escape
sleep 0.5

xdotool windowactivate --sync "$main"
xdotool key ctrl+s
settings=$(window 'Application settings')
click $((sx + 248)) $((sy + 368))  # the language list
xdotool key Home Return
sleep 0.5
click $((sx + 307)) $((sy + 476))  # Save & use
xdotool windowactivate --sync "$main"
xdotool key ctrl+s
settings=$(window 'Nastaven')
shot "$settings" settings_cs.png
