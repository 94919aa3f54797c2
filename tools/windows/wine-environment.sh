# What every Wine that runs the game here is started with (sourced): 64-bit only; no Mono or
# Gecko (their installers would ask to download them); Wine's own messages silenced; and no
# menu entries or file associations made on this machine for the programs the prefix installs.
export WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEDEBUG=-all
