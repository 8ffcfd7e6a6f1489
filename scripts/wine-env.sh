# Sourced by every script that runs Wine: the settings all Wine runs share.
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installers; and with no sound card here, keep Wine's audio
# drivers from complaining on every start.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml,winealsa.drv,winepulse.drv=}"
