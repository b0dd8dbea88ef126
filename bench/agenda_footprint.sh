#!/bin/bash
# The hidden agenda idle on Xvfb (with a notification area, trayer) and a running
# speech-dispatcher: its CPU time per minute and its resident size, measured over the same
# seconds beside `remind -z` and `calcurse --daemon` on the same plannings. Targets for the agenda:
# under 5 ms of CPU a minute, under 40 MB resident.
#   bench/agenda_footprint.sh [BIN_FOLDER (build/bench/bin)] [SECONDS (60)] [PLANNINGS (500)]
set -euo pipefail

bin=$(realpath "${1:-build/bench/bin}")
seconds=${2:-60}
plannings=${3:-500}
settle=30  # the start-up's own work is left out: on a loaded machine it lasts beyond 10 s
for tool in Xvfb trayer speech-dispatcher remind calcurse; do
  command -v "$tool" >/dev/null || { echo "missing: $tool (scripts/bootstrap installs it)" >&2; exit 2; }
done
[ -x "$bin/tavelo" ] && [ -x "$bin/tavelo-footprint-data" ] ||
  { echo "build first: make build-bench (looked in $bin)" >&2; exit 2; }

work=$(mktemp -d)
started=()
finish() {
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap finish EXIT

# Xvfb writes its display number once it answers.
mkfifo "$work/display"
Xvfb -screen 0 1024x768x24 -nolisten tcp -displayfd 3 3>"$work/display" 2>/dev/null &
started+=($!)
read -r display_number <"$work/display"
export DISPLAY=":$display_number" NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory
trayer --edge bottom --widthtype request >/dev/null 2>&1 &
started+=($!)

# speech-dispatcher on a socket of its own, speaking into a file.
speech="$work/speech"
mkdir -p "$speech/config/modules"
cat >"$speech/config/speechd.conf" <<CONF
LogLevel 1
LogDir "$speech"
AddModule "fichier" "sd_generic" "fichier.conf"
DefaultModule fichier
LanguageDefaultModule "fr" "fichier"
DisableAutoSpawn
CONF
cat >"$speech/config/modules/fichier.conf" <<CONF
GenericExecuteSynth "echo \'\$DATA\' >> $speech/dit.txt"
AddVoice "fr" "MALE1" "voix"
GenericLanguage "fr" "fr" "utf-8"
CONF
export XDG_RUNTIME_DIR="$speech" SPEECHD_ADDRESS="unix_socket:$speech/speechd.sock"
speech-dispatcher -s -t 0 -c unix_socket -S "$speech/speechd.sock" -C "$speech/config" \
  -P "$speech/speechd.pid" >/dev/null 2>&1 &
started+=($!)
for _ in $(seq 100); do [ -S "$speech/speechd.sock" ] && break; sleep 0.1; done

# The same plannings for the three programs.
program="$work/tavelo"
mkdir -p "$program"
cp -r "$bin/tavelo" "$bin"/lib*.so "$bin"/*.wav "$bin/bg.bmp" "$bin/access.txt" "$bin/manual" \
  "$program/"
"$bin/tavelo-footprint-data" "$program" "$plannings"

"$program/tavelo" /test >/dev/null 2>&1 &
agenda=$!
started+=("$agenda")
remind -z -q "$program/rappels.rem" >/dev/null 2>&1 &
reminder=$!
started+=("$reminder")
calcurse -D "$program/calcurse" --daemon >/dev/null 2>&1
for _ in $(seq 50); do [ -s "$program/calcurse/.daemon.pid" ] && break; sleep 0.1; done
daemon=$(cat "$program/calcurse/.daemon.pid" 2>/dev/null || true)
if [ -n "$daemon" ]; then started+=("$daemon"); fi

sleep "$settle"
# CPU time in nanoseconds, summed over the threads (clock ticks would count 10 ms at a time),
# and resident size in kB.
cpu_ns() { cat /proc/"$1"/task/*/schedstat | awk '{ sum += $1 } END { printf "%d\n", sum }'; }
resident() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }
declare -A before
names=(agenda reminder daemon)
for name in "${names[@]}"; do
  pid=${!name}
  if [ -n "$pid" ] && [ -d "/proc/$pid" ]; then before[$name]=$(cpu_ns "$pid"); fi
done
sleep "$seconds"
printf '%-26s %16s %14s\n' "" "CPU (ms/minute)" "résident (MB)"
for name in "${names[@]}"; do
  case $name in
    agenda) label="tavelo (agenda caché)" ;;
    reminder) label="remind -z" ;;
    daemon) label="calcurse --daemon" ;;
  esac
  pid=${!name}
  if [ -z "$pid" ] || [ ! -d "/proc/$pid" ] || [ -z "${before[$name]:-}" ]; then
    printf '%-26s %s\n' "$label" "ne tourne pas"
    continue
  fi
  used=$(($(cpu_ns "$pid") - ${before[$name]}))
  awk -v used="$used" -v s="$seconds" -v kb="$(resident "$pid")" -v l="$label" \
    'BEGIN { printf "%-26s %16.2f %14.1f\n", l, used / 1e6 * 60 / s, kb / 1024 }'
done
