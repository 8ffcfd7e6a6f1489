#!/bin/sh
# start FOLDER: makes the certificates and starts the HTTPS servers of the
# TLS tests; stop FOLDER: stops them. Run by ctest around the Windows tests.
set -e
here="$(cd "$(dirname "$0")" && pwd)"
dir="$2"
case "$1" in
    start)
        "$here/make-certs.sh" "$dir"
        [ -f "$dir/pid" ] && kill "$(cat "$dir/pid")" 2>/dev/null || true
        rm -f "$dir/ports"
        nohup python3 "$here/tls-server.py" "$dir" > "$dir/server.log" 2>&1 &
        echo $! > "$dir/pid"
        for _ in $(seq 1 50); do [ -f "$dir/ports" ] && exit 0; sleep 0.1; done
        echo "the HTTPS test servers did not start (see $dir/server.log)" >&2
        exit 1
        ;;
    stop)
        [ -f "$dir/pid" ] && kill "$(cat "$dir/pid")" 2>/dev/null || true
        rm -f "$dir/pid" "$dir/ports"
        ;;
    *) echo "usage: $0 start|stop FOLDER" >&2; exit 2 ;;
esac
