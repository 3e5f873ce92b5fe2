# Shell functions the live-host scripts source: a JACK server of the script's own on the dummy
# backend, waits with a bound so that no stuck program holds a test until its time-out, and
# a report of where a run stopped.

# Prints a step with the time of day, so that a failed run's output shows how far it came.
step() {
    echo "$(date +%T.%N | cut -c1-12) $*"
}

# wait_bounded PID SECONDS: waits for a child process; one still running after SECONDS is
# ended by force. Answers the child's exit status (137 when it had to be ended). The watchdog
# ends its own sleep when it is stopped: a sleep left behind would hold the caller's output
# open, and a test runner reading it would wait out the whole bound.
wait_bounded() {
    (
        trap 'kill "$sleeper" 2>/dev/null; exit 0' TERM
        sleep "$2" &
        sleeper=$!
        wait "$sleeper"
        kill -9 "$1" 2>/dev/null
    ) &
    watchdog=$!
    wait "$1"
    status=$?
    kill "$watchdog" 2>/dev/null
    return $status
}

# poll_until SECONDS COMMAND...: runs COMMAND every tenth of a second until it succeeds; answers
# failure when SECONDS have passed first.
poll_until() {
    deadline=$(($(date +%s) + $1))
    shift
    until "$@"; do
        [ "$(date +%s)" -ge $deadline ] && return 1
        sleep 0.1
    done
}

# start_jack NAME LOG: starts a server called NAME, logging to LOG, and waits until it takes
# clients. Every JACK program the script starts afterwards talks to this server.
start_jack() {
    JACK_DEFAULT_SERVER=$1
    export JACK_DEFAULT_SERVER
    # Synchronous and not real-time, so a loaded machine does not end in process errors.
    jackd -n "$1" -S -r -d dummy -r 44100 -p 256 >"$2" 2>&1 &
    jack_pid=$!
    jack_wait -w -t 10 >/dev/null 2>&1
}

stop_jack() {
    kill "$jack_pid" 2>/dev/null
    wait_bounded "$jack_pid" 15
}

# fail MESSAGE: reports where the run stopped, with the end of each log the script names in
# session_logs (NAME for the file $out/NAME.log), and exits.
fail() {
    step "$1"
    for log in $session_logs; do
        echo "--- $log.log"
        tail -n 20 "$out/$log.log" 2>/dev/null
    done
    exit 1
}
