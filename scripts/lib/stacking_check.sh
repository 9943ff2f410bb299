# Dialogs stay above their window under a real window manager: the program on a display of its
# own with openbox, the settings dialog opened, then one click on the disabled main window; the
# dialog must still be stacked above it (and be transient for it). Sourced by scripts/test.

dialog_stays_above() {  # $1: the Linux program
  local program=$1 work display main dialog pids=() rc=1
  work=$(mktemp -d /tmp/lantervo-stacking.XXXXXX)
  start_managed_display "$work"
  write_check_folder "$work"
  DISPLAY=$display XDG_CONFIG_HOME=$work/config "$work/app/lantervo" >"$work/program.log" 2>&1 &
  pids+=($!)
  wait_window() {
    local id
    for _ in $(seq 150); do
      id=$(DISPLAY=$display xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
      [ -n "$id" ] && { echo "$id"; return 0; }
      sleep 0.1
    done
    return 1
  }
  if main=$(wait_window 'Lantervo 0.9.19'); then
    DISPLAY=$display xdotool windowactivate --sync "$main" key ctrl+s
    if dialog=$(wait_window 'Application settings'); then
      # A point of the main window that the dialog does not cover: its lower right corner.
      eval "$(DISPLAY=$display xdotool getwindowgeometry --shell "$main")"
      DISPLAY=$display xdotool mousemove --sync $((X + WIDTH - 20)) $((Y + HEIGHT - 20)) click 1
      sleep 1
      local stacking transient
      stacking=$(DISPLAY=$display xprop -root _NET_CLIENT_LIST_STACKING | tr -d ',' | cut -d'#' -f2)
      transient=$(DISPLAY=$display xprop -id "$dialog" WM_TRANSIENT_FOR)
      echo "main $(printf '0x%x' "$main"), dialog $(printf '0x%x' "$dialog")"
      echo "stacking (bottom to top): $stacking"
      echo "$transient"
      local position=0 mainAt=-1 dialogAt=-1 w
      for w in $stacking; do
        [ $((w)) -eq "$main" ] && mainAt=$position
        [ $((w)) -eq "$dialog" ] && dialogAt=$position
        position=$((position + 1))
      done
      [ "$mainAt" -ge 0 ] && [ "$dialogAt" -gt "$mainAt" ] &&
        [[ $transient == *"$(printf '0x%x' "$main")"* ]] && rc=0
    fi
  fi
  end_check "$work"
  return $rc
}

# A display of the check's own, managed by openbox once this returns. Sets the caller's
# `display` and adds the servers' processes to its `pids`.
start_managed_display() {  # $1: the check's folder
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$1/display" >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$1/display" ] && break; sleep 0.1; done
  display=":$(head -1 "$1/display")"
  DISPLAY=$display openbox >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do
    DISPLAY=$display xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
  done
}

# Shows what the program said, ends the caller's `pids` and removes the check's folder.
end_check() {  # $1: the check's folder
  cat "$1/program.log"
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait "${pids[@]}" 2>/dev/null
  rm -rf "$1"
}

# The program copied into $1/app with a list of one inactive server beside it, and a registry
# store in $1/config (English, no update check, the first check far off), so that it starts
# without a notice and checks nothing. Uses $program.
write_check_folder() {  # $1: the folder
  local work=$1
  mkdir -p "$work/app" "$work/config/lantervo"
  printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
    '[HKEY_LOCAL_MACHINE\Software\QUORVIK Media\Lantervo]' '"Version"="0.9.19"' \
    '"CheckUpdate"=dword:00000000' '"VerifyURL"="http://"' '"VerifyEnabled"=dword:00000000' \
    '"CheckInterval"="300"' "\"LogFile\"=\"$work/app/LTV.log\"" '"LogEnabled"=dword:00000001' \
    '"BalloonLevel"="3"' '"HotkeyEnabled"=dword:00000000' '"Language"="en"' \
    >"$work/config/lantervo/registry.reg"
  # A list of one server, so that the start shows no notice.
  {
    printf '%s' '<?xml version="1.0" standalone="yes"?>  <DATAPACKET Version="2.0"><METADATA><FIELDS>'
    printf '%s' '<FIELD attrname="Name" fieldtype="string" WIDTH="200"/><FIELD attrname="Status" fieldtype="string" WIDTH="10"/>'
    printf '%s' '<FIELD attrname="Result" fieldtype="string" WIDTH="50000"/><FIELD attrname="Url" fieldtype="string" WIDTH="500"/>'
    printf '%s' '<FIELD attrname="Active" fieldtype="boolean"/><FIELD attrname="LoadTime" fieldtype="i4"/>'
    printf '%s' '<FIELD attrname="Timeout" fieldtype="i4"/><FIELD attrname="TimeoutEnabled" fieldtype="boolean"/>'
    printf '%s' '<FIELD attrname="Response" fieldtype="string" WIDTH="50000"/><FIELD attrname="ResponseEnabled" fieldtype="boolean"/>'
    printf '%s' '</FIELDS><PARAMS/></METADATA><ROWDATA><ROW Name="Loopback" Url="http://127.0.0.1:9/" Active="FALSE"/>'
    printf '%s' '</ROWDATA></DATAPACKET>'
  } >"$work/app/LTV.xml"
  cp "$program" "$work/app/lantervo"
}
