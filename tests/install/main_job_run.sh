#!/usr/bin/env bash
# scripts/run, the README's main job, as a technician starts it under Xvfb:
#  - without a display it says in one line how to run it under Xvfb;
#  - on a clean home it starts the simulator (its three TCP endpoints answer
#    and the USB pseudo-terminal link exists) and the tool, whose start window
#    appears, and seeds the five connection entries with the simulator's
#    endpoints; closing the tool stops the simulator;
#  - saved entries are never overwritten, only absent ones filled in, and
#    stopping scripts/run itself (as Ctrl-C does) stops the tool and the
#    simulator.
# The simulator gets ports chosen by the system, so the test never collides
# with a scripts/run that a developer has open.
#   main_job_run.sh SOURCE_DIR BUILD_DIR
source "$(dirname "$0")/common.sh"
src="${1:?usage: main_job_run.sh SOURCE_DIR BUILD_DIR}"
build="${2:?usage: main_job_run.sh SOURCE_DIR BUILD_DIR}"
command -v xvfb-run >/dev/null || fail "xvfb-run is missing (scripts/deps installs it)"
# ctest has built everything; the runs below use the build folder as it is.
for program in src/TelvorConfiguratorGUI devsim/devicesim tools/seedsettings/seedsettings; do
    [ -x "$build/$program" ] || fail "$build/$program is not built"
done

# --- no display ------------------------------------------------------------
if out="$(env -u DISPLAY -u WAYLAND_DISPLAY TELVOR_BUILD_DIR="$build" TELVOR_NO_BUILD=1 "$src/scripts/run" 2>&1)"; then
    fail "scripts/run without a display succeeded"
fi
[ "$(printf '%s\n' "$out" | wc -l)" -eq 1 ] || fail "expected one line without a display, got: $out"
printf '%s' "$out" | grep -q 'xvfb-run -a scripts/run' || fail "the no-display line does not name xvfb-run: $out"
pass "without a display: $out"

# --- helpers -----------------------------------------------------------------
descendants() {
    local child
    for child in $(ps -o pid= --ppid "$1" 2>/dev/null); do
        echo "$child"
        descendants "$child"
    done
}

# The descendant of $1 whose command name is $2 (cut to 15 characters, as
# the kernel keeps it).
descendant_named() {
    local pid
    for pid in $(descendants "$1"); do
        if [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = "${2:0:15}" ]; then
            echo "$pid"
            return 0
        fi
    done
    return 1
}

# Waits up to $1 seconds for the command that follows to succeed.
wait_until() {
    local limit=$(( $1 * 10 ))
    shift
    local i
    for (( i = 0; i < limit; i++ )); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

setting() { sed -n "s/^$2=//p" "$1/.config/Telvor/Configurator.conf" 2>/dev/null; }
all_keys_present() {
    local key
    for key in Ip Port IpTcp Port232 Port485; do
        [ -n "$(setting "$1" "$key")" ] || return 1
    done
}
sim_endpoint() { sed -n "s/^$2 //p" "$1/run/telvor-devicesim.log" | head -n 1; }

run_pid=""
show_run_log() {
    echo "--- scripts/run output:" >&2
    cat "$1/run.log" >&2 || true
    echo "--- simulator log:" >&2
    cat "$1/run/telvor-devicesim.log" >&2 || true
}

start_run() {
    local home="$1"
    mkdir -p "$home/.config" "$home/run"
    chmod 700 "$home/run"
    HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_RUNTIME_DIR="$home/run" \
        TELVOR_BUILD_DIR="$build" TELVOR_NO_BUILD=1 \
        TELVOR_SIM_CONFIG_PORT=0 TELVOR_SIM_RS232_PORT=0 TELVOR_SIM_RS485_PORT=0 QT_XCB_GL_INTEGRATION=none \
        xvfb-run -a "$src/scripts/run" >"$home/run.log" 2>&1 &
    run_pid=$!
}

# Stops whatever of a run is still alive, should a check fail half-way.
stop_leftovers() {
    local pid
    if [ -n "$run_pid" ]; then
        for pid in $(descendants "$run_pid") "$run_pid"; do
            kill -TERM "$pid" 2>/dev/null || true
        done
    fi
    cleanup_scratch
}
trap stop_leftovers EXIT

# Waits for a started run to be up: simulator, seeded store, tool window.
# Sets sim_pid, tool_pid and script_pid.
wait_for_run() {
    local home="$1"
    wait_until 120 descendant_named "$run_pid" TelvorConfiguratorGUI >/dev/null ||
        { show_run_log "$home"; fail "the tool did not start"; }
    tool_pid="$(descendant_named "$run_pid" TelvorConfiguratorGUI)"
    sim_pid="$(descendant_named "$run_pid" devicesim)" ||
        { show_run_log "$home"; fail "no simulator runs beside the tool"; }
    # scripts/run's shell is the tool's parent.
    script_pid="$(ps -o ppid= -p "$tool_pid" | tr -d ' ')"
    grep -q scripts/run "/proc/$script_pid/cmdline" || fail "the tool's parent (pid $script_pid) is not scripts/run"
    wait_until 10 all_keys_present "$home" ||
        { show_run_log "$home"; fail "the connection entries were not seeded"; }

    # The start window is on the run's own X display.
    local display xauth
    display="$(tr '\0' '\n' <"/proc/$tool_pid/environ" | sed -n 's/^DISPLAY=//p')"
    xauth="$(tr '\0' '\n' <"/proc/$tool_pid/environ" | sed -n 's/^XAUTHORITY=//p')"
    wait_until 20 bash -c "DISPLAY='$display' XAUTHORITY='$xauth' xwininfo -root -tree | grep -q '\"Corvanta\"'" ||
        { show_run_log "$home"; fail "the tool's start window did not appear on $display"; }
}

check_endpoints_answer() {
    local home="$1" name endpoint
    for name in config-service rs232 rs485; do
        endpoint="$(sim_endpoint "$home" "$name")"
        [ -n "$endpoint" ] || fail "the simulator did not announce $name"
        case "$endpoint" in 127.0.0.1:*) ;; *) fail "$name listens on $endpoint, not on loopback" ;; esac
        bash -c "exec 3<>/dev/tcp/127.0.0.1/${endpoint##*:}" 2>/dev/null ||
            fail "nothing answers on $name $endpoint"
    done
    local link="$home/run/telvor-usb"
    [ -L "$link" ] || fail "the USB pseudo-terminal link $link is missing"
    [ "$(readlink "$link")" = "$(sim_endpoint "$home" usb)" ] ||
        fail "$link points to $(readlink "$link"), the simulator announced $(sim_endpoint "$home" usb)"
}

# Waits for the run to end; afterwards neither the tool nor the simulator
# may be left.
check_run_ended() {
    local home="$1"
    wait_until 20 bash -c "! kill -0 $run_pid 2>/dev/null" || { show_run_log "$home"; fail "scripts/run did not end"; }
    wait "$run_pid" 2>/dev/null || true
    run_pid=""
    ! kill -0 "$tool_pid" 2>/dev/null || fail "the tool (pid $tool_pid) is still running"
    ! kill -0 "$sim_pid" 2>/dev/null || fail "the simulator (pid $sim_pid) is still running"
}

# --- a clean home: seeded, and closing the tool stops the simulator ----------
home="$scratch/clean"
start_run "$home"
wait_for_run "$home"
check_endpoints_answer "$home"
config="$(sim_endpoint "$home" config-service)"
[ "$(setting "$home" Ip)" = 127.0.0.1 ] || fail "seeded Ip is '$(setting "$home" Ip)'"
[ "$(setting "$home" Port)" = "${config##*:}" ] || fail "seeded Port is '$(setting "$home" Port)', service is $config"
[ "$(setting "$home" IpTcp)" = 127.0.0.1 ] || fail "seeded IpTcp is '$(setting "$home" IpTcp)'"
[ "$(setting "$home" Port232)" = "$(sim_endpoint "$home" rs232 | sed 's/.*://')" ] ||
    fail "seeded Port232 is '$(setting "$home" Port232)'"
[ "$(setting "$home" Port485)" = "$(sim_endpoint "$home" rs485 | sed 's/.*://')" ] ||
    fail "seeded Port485 is '$(setting "$home" Port485)'"
pass "clean home: simulator up ($config), entries seeded, start window shown"

kill -TERM "$tool_pid"
check_run_ended "$home"
pass "closing the tool stopped the simulator"

# --- saved entries stay; stopping scripts/run stops everything ---------------
home="$scratch/saved"
mkdir -p "$home/.config/Telvor"
printf '[Commsettings]\nIp=192.168.0.20\nPort=502\n' >"$home/.config/Telvor/Configurator.conf"
start_run "$home"
wait_for_run "$home"
[ "$(setting "$home" Ip)" = 192.168.0.20 ] || fail "saved Ip was overwritten with '$(setting "$home" Ip)'"
[ "$(setting "$home" Port)" = 502 ] || fail "saved Port was overwritten with '$(setting "$home" Port)'"
[ "$(setting "$home" Port485)" = "$(sim_endpoint "$home" rs485 | sed 's/.*://')" ] ||
    fail "absent Port485 was not seeded"
pass "saved entries kept, absent ones seeded"

kill -TERM "$script_pid"
check_run_ended "$home"
pass "stopping scripts/run stopped the tool and the simulator"
