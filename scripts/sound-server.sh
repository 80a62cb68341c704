# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the test scripts: start_sound_server starts a private PulseAudio daemon (its
# folder in $pulse_dir, XDG_RUNTIME_DIR pointing there) with a null sink, a capture source
# that records that sink (the default capture device) and one low-latency stream that keeps
# the null sink from idling with a 2 s buffer; stop_sound_server stops what it started.
started=()
pulse_dir=

stop_sound_server() {
    for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${started[@]}"; do wait "$pid" 2>/dev/null || true; done
    if [[ -n $pulse_dir ]]; then rm -rf "$pulse_dir"; fi
    started=()
    pulse_dir=
}

start_sound_server() {
    pulse_dir=$(mktemp -d /tmp/kotar-pulse.XXXXXX)
    export XDG_RUNTIME_DIR=$pulse_dir
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
        --load=module-native-protocol-unix >"$pulse_dir/daemon.log" 2>&1 &
    started+=($!)
    for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
    pactl load-module module-null-sink sink_name=kotar_null rate=8000 channels=1 >/dev/null &&
        pactl load-module module-remap-source master=kotar_null.monitor \
            source_name=kotar_mic >/dev/null &&
        pactl set-default-sink kotar_null &&
        pactl set-default-source kotar_mic || return 1
    pacat --playback --raw --rate=8000 --channels=1 --format=s16le --latency-msec=20 \
        </dev/zero 2>/dev/null &
    started+=($!)
}
