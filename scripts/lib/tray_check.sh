# The tray icon's menu opens under an XEmbed notification area: the program on a display of its
# own with openbox and tint2's system tray, one right click on its icon, and a menu of the
# program's must come up. Sourced by scripts/test, after stacking_check.sh (its display,
# list, registry and clean-up).

tray_menu_opens() {  # $1: the Linux program
  local program=$1 work display icon rc=1 pids=()
  work=$(mktemp -d /tmp/lantervo-tray.XXXXXX)
  start_managed_display "$work"
  DISPLAY=$display tint2 >/dev/null 2>&1 &
  pids+=($!)
  # The tray is there once it owns the selection of the screen's system tray.
  for _ in $(seq 100); do
    DISPLAY=$display xdotool search --class tint2 >/dev/null 2>&1 && break
    sleep 0.1
  done
  sleep 1
  write_check_folder "$work"
  DISPLAY=$display XDG_CONFIG_HOME=$work/config "$work/app/lantervo" >"$work/program.log" 2>&1 &
  pids+=($!)
  # The icon: the program's small window that the tray took in.
  for _ in $(seq 100); do
    icon=$(small_window_of "$display" 64)
    [ -n "$icon" ] && break
    sleep 0.1
  done
  if [ -n "$icon" ]; then
    local before after X Y WIDTH HEIGHT SCREEN WINDOW
    before=$(DISPLAY=$display xdotool search --onlyvisible --class lantervo 2>/dev/null | sort)
    eval "$(DISPLAY=$display xdotool getwindowgeometry --shell "$icon")"
    DISPLAY=$display xdotool mousemove --sync $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 3
    sleep 1
    after=$(DISPLAY=$display xdotool search --onlyvisible --class lantervo 2>/dev/null | sort)
    echo "icon $(printf '0x%x' "$icon") at $X,$Y (${WIDTH}x$HEIGHT)"
    local w
    for w in $(comm -13 <(echo "$before") <(echo "$after")); do
      eval "$(DISPLAY=$display xdotool getwindowgeometry --shell "$w")"
      echo "opened: $(printf '0x%x' "$w") ${WIDTH}x$HEIGHT"
      [ "$HEIGHT" -gt 20 ] && rc=0
    done
  else
    echo "no tray icon of the program"
  fi
  end_check "$work"
  return $rc
}

# A visible window of the program no larger than $2 pixels either way.
small_window_of() {  # $1: display, $2: size
  local w X Y WIDTH HEIGHT SCREEN WINDOW
  for w in $(DISPLAY=$1 xdotool search --onlyvisible --class lantervo 2>/dev/null); do
    eval "$(DISPLAY=$1 xdotool getwindowgeometry --shell "$w")"
    [ "$WIDTH" -le "$2" ] && [ "$HEIGHT" -le "$2" ] && { echo "$w"; return; }
  done
}
