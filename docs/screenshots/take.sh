#!/usr/bin/env bash
# Takes the screenshots in this folder: Lantervo.exe under wine on a private Xvfb, in a wine
# virtual desktop (so wine draws the window frames), watching three servers on 127.0.0.1.
# Usage: docs/screenshots/take.sh [path to the x86_64 Lantervo.exe]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exe=$(realpath "${1:-$here/../../build/win64/frontends/win32/Lantervo.exe}")
work=$(mktemp -d /tmp/lantervo-shots.XXXXXX)
export WINEPREFIX=$work/prefix WINEDEBUG=-all
wine=/usr/lib/wine/wine64
pids=()
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

fifo=$work/display
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
pids+=($!)
read -r display <"$fifo"
export DISPLAY=":$display"

# Two answers on one loopback port: "OK" for /, a maintenance page for /shop.
python3 - "$work/port" <<'PY' &
import http.server, sys
class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        body = b"OK" if self.path == "/" else b"Down for maintenance"
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
    def log_message(self, *args):
        pass
server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
open(sys.argv[1] + ".tmp", "w").write(str(server.server_port))
import os; os.rename(sys.argv[1] + ".tmp", sys.argv[1])
server.serve_forever()
PY
pids+=($!)
while [ ! -e "$work/port" ]; do sleep 0.1; done
port=$(cat "$work/port")

mkdir -p "$work/app"
cp "$exe" "$work/app/Lantervo.exe"
fields='<FIELD attrname="Name" fieldtype="string" WIDTH="200"/><FIELD attrname="Status" fieldtype="string" WIDTH="10"/><FIELD attrname="Result" fieldtype="string" WIDTH="50000"/><FIELD attrname="Url" fieldtype="string" WIDTH="500"/><FIELD attrname="Active" fieldtype="boolean"/><FIELD attrname="LoadTime" fieldtype="i4"/><FIELD attrname="Timeout" fieldtype="i4"/><FIELD attrname="TimeoutEnabled" fieldtype="boolean"/><FIELD attrname="Response" fieldtype="string" WIDTH="50000"/><FIELD attrname="ResponseEnabled" fieldtype="boolean"/>'
row() {  # name url active response responseEnabled
  printf '<ROW Name="%s" Url="%s" Active="%s" Timeout="500" TimeoutEnabled="FALSE" Response="%s" ResponseEnabled="%s"/>' "$@"
}
{
  printf '<?xml version="1.0" standalone="yes"?>  <DATAPACKET Version="2.0"><METADATA><FIELDS>%s</FIELDS><PARAMS/></METADATA><ROWDATA>' "$fields"
  row "Intranet" "http://127.0.0.1:$port/" TRUE OK FALSE
  row "Web shop" "http://127.0.0.1:$port/shop" TRUE ready TRUE
  row "Backup server" "http://127.0.0.1:1/" TRUE OK FALSE
  row "Old wiki" "http://127.0.0.1:$port/wiki" FALSE OK FALSE
  printf '</ROWDATA></DATAPACKET>'
} >"$work/app/LTV.xml"

$wine wineboot --init >/dev/null 2>&1
key='HKLM\Software\QUORVIK Media\Lantervo'
folder=$($wine winepath -w "$work/app" 2>/dev/null | tr -d '\r')
reg() { $wine reg add "$key" /v "$1" /t "$2" /d "$3" /f >/dev/null 2>&1; }
reg Version REG_SZ 0.9.19
reg CheckUpdate REG_DWORD 0
reg VerifyURL REG_SZ http://
reg VerifyEnabled REG_DWORD 0
reg CheckInterval REG_SZ 5
reg LogFile REG_SZ "$folder\\LTV.log"
reg LogEnabled REG_DWORD 1
reg BalloonLevel REG_SZ 0
reg HotkeyEnabled REG_DWORD 0
reg Language REG_SZ en

$wine explorer /desktop=Lantervo,800x600 "$work/app/Lantervo.exe" >/dev/null 2>&1 &
pids+=($!)
# The first run ends a few seconds after start.
until grep -q "Completed" "$work/app/LTV.log" 2>/dev/null; do sleep 0.5; done
sleep 1
desktop=$(xdotool search --name "Lantervo - Wine desktop" | head -1)
xdotool windowfocus "$desktop"
shot() {  # name width height
  import -window root -crop "$2x$3+0+0" +repage "$here/$1.png"
}
shot main-window 576 340
# Servers > Add opens the server dialog over the main window, both at the screen's corner.
xdotool mousemove 82 32 click 1
sleep 0.5
xdotool mousemove 100 52 click 1
sleep 1
shot server-dialog 390 360
# Cancel is the dialog's only way out besides OK.
xdotool mousemove 190 317 click 1
sleep 1
# Lantervo > Settings.
xdotool mousemove 29 32 click 1
sleep 0.5
xdotool mousemove 50 90 click 1
sleep 1
shot settings-dialog 390 540
