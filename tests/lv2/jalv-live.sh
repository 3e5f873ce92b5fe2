#!/bin/sh
# Runs the plug-in live in jalv on JACK's dummy backend: a sine client feeds it, jack_rec records
# six seconds of its output and of the sine beside it, after 1.2 seconds jalv's console moves band
# edge 4 to 1500 Hz, after two seconds sets Out to -20 dB, and a little later switches the plug-in
# off for a while and on again. Then the
# console lists the presets (jalv needs that before a preset command), applies one, sets the
# oversampling to 8 and lists the output controls (the latency among them), and jalv is stopped. Every step has a bound; a run that misses one says which and shows the logs' ends.
# Usage: jalv-live.sh OUTPUT_FOLDER PLUGIN_URI PRESET_URI
set -u
out=$1
uri=$2
preset=$3
. "$(dirname "$0")/jack-session.sh"
jalv_name=mfjalv$$
session_logs="jackd jalv sine rec"

sine_pid=
jalv_pid=
rec_pid=
# Clients are asked to leave first and ended by force only if they stay: jackd, stopped while
# the socket of a client killed outright is still open, dies of the broken pipe and leaves its
# entry in JACK's registry of servers, which holds eight; once it is full, no server starts on
# the machine again.
stop() {
    for pid in $rec_pid $sine_pid $jalv_pid; do
        kill "$pid" 2>/dev/null && wait_bounded "$pid" 5
    done
    stop_jack
}
trap stop EXIT
start_jack "marrowfold-live-$$" "$out/jackd.log" || fail "jackd did not start"
step "jackd runs"

jack_simple_client "sine$$" >"$out/sine.log" 2>&1 &
sine_pid=$!
rm -f "$out/commands"
mkfifo "$out/commands"
jalv -n "$jalv_name" "$uri" <"$out/commands" >"$out/jalv.log" 2>&1 &
jalv_pid=$!
exec 3>"$out/commands"

jalv_ports_are_there() {
    timeout 5 jack_lsp 2>/dev/null | grep -q "^$jalv_name:out_r\$"
}
poll_until 10 jalv_ports_are_there || fail "jalv's ports did not appear"
step "jalv's ports are there"
timeout 10 jack_connect "sine$$:output1" "$jalv_name:in_l" &&
    timeout 10 jack_connect "sine$$:output2" "$jalv_name:in_r" || fail "cannot connect"

jack_rec -f "$out/live.wav" -d 6 "$jalv_name:out_l" "$jalv_name:out_r" \
    "sine$$:output1" "sine$$:output2" >"$out/rec.log" 2>&1 &
rec_pid=$!
step "recording"
sleep 1.2
echo "set edge4 1500" >&3
sleep 0.8
echo "set output -20" >&3
sleep 2.4
echo "set enabled 0" >&3
sleep 0.6
echo "set enabled 1" >&3
wait_bounded "$rec_pid" 30 || fail "jack_rec did not record six seconds"
rec_pid=
step "recorded"
echo "presets" >&3
echo "preset $preset" >&3
sleep 0.5
echo "controls" >&3
sleep 0.5
echo "set oversampling 8" >&3
sleep 0.5
echo "monitors" >&3
sleep 0.5
exec 3>&-
kill -INT "$jalv_pid"
wait_bounded "$jalv_pid" 15
echo "jalv exit status $?"
jalv_pid=
