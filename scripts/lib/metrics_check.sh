# Shared by scripts/test: the metrics exposition, as the program writes it for odd server names
# and every kind of outcome, must pass Prometheus' own linter.

exposition_passes_promtool() {  # $1: the sample program
  local text
  text=$("$1") || return 1
  printf '%s\n' "$text" | grep -q '^lantervo_build_info{' || { echo "no exposition"; return 1; }
  printf '%s\n' "$text"
  printf '%s\n' "$text" | promtool check metrics
}
