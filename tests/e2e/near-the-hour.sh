#!/bin/sh
# Runs a command in a time zone whose next full hour is 2 to 28 minutes away,
# so that the reminder's test, which writes a history busy in the next hour,
# finds itself within the half hour before it: UTC, India (+5:30) or Nepal
# (+5:45), by the minute it starts at. In the three minutes no zone covers,
# it waits for the next one. Usage: near-the-hour.sh COMMAND [ARGUMENT...]
set -u
minute() { m=$(date -u +%M); echo "${m#0}"; }
m=$(minute)
if [ "$m" -ge 29 ] && [ "$m" -le 31 ]; then
    sleep $(( (32 - m) * 60 - $(date -u +%S | sed 's/^0//') ))
    m=$(minute)
fi
if [ "$m" -ge 32 ] && [ "$m" -le 58 ]; then TZ=UTC
elif [ "$m" -ge 2 ] && [ "$m" -le 28 ]; then TZ=Asia/Kolkata
else TZ=Asia/Kathmandu
fi
export TZ
exec "$@"
