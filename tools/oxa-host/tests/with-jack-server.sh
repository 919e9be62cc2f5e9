#!/usr/bin/env bash
# Runs a command with a JACK server of its own (jackd2's dummy driver) as
# the default server of its clients, and stops the server after it. Exits
# with 77 (CTest's skip) when there is no jackd.
#
#   with-jack-server.sh COMMAND [ARG]...
set -uo pipefail

jackd=$(command -v jackd) || { echo "with-jack-server.sh: no jackd (jackd2): skipped"; exit 77; }
name=oxa-host-test-$$
log=$(mktemp)
"$jackd" --no-realtime -n "$name" -d dummy -r 48000 -p 256 >"$log" 2>&1 &
server=$!
stop() {
  kill "$server" 2>/dev/null
  wait "$server" 2>/dev/null
  rm -f "$log"
}
trap stop EXIT

# The server accepts clients once its socket is there.
for _ in $(seq 100); do
  compgen -G "/dev/shm/jack_${name}_*" >/dev/null && break
  kill -0 "$server" 2>/dev/null || { echo "with-jack-server.sh: jackd ended:"; cat "$log"; exit 1; }
  sleep 0.1
done
compgen -G "/dev/shm/jack_${name}_*" >/dev/null || { echo "with-jack-server.sh: jackd did not start"; exit 1; }

JACK_DEFAULT_SERVER=$name "$@"
