#!/usr/bin/env bash
# Runs Kestrel against the TDS test server: the server plays an SQL Server 2008 R2 SP2 holding the
# Quintara database, and a throwaway Wine-style registry holds Quintara's settings pointing at it.
# Usage: scripts/demo.sh BUILD_DIR [COMMAND...]   (COMMAND defaults to the kestrel program; it runs
# with WINEPREFIX set to the throwaway registry)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1
shift
[ $# -gt 0 ] || set -- "$build/src/app/qt/kestrel"

work=$(mktemp -d)
server=""
cleanup() {
    [ -z "$server" ] || kill "$server" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' INT TERM

python3 "$root/tests/support/tds_test_server.py" --scenario "$root/tests/support/demo_scenario.json" \
    >"$work/server.log" &
server=$!
# It listens on port 1433, the default, of a loopback address of its own, where its SQL Server
# Browser also answers for the instance QUINTARA.
address=""
for _ in $(seq 100); do
    address=$(sed -n 's/^PORT [0-9]* //p' "$work/server.log")
    [ -n "$address" ] && break
    grep -q '^ERROR' "$work/server.log" && break
    sleep 0.05
done
[ -n "$address" ] || { echo "the TDS test server did not start: $(cat "$work/server.log")" >&2; exit 1; }

# The registry as Wine keeps it: HKEY_LOCAL_MACHINE in system.reg.
cat >"$work/system.reg" <<REG
WINE REGISTRY Version 2
;; All keys relative to \\\\Machine

#arch=win64

[Software\\\\Norvik\\\\Database] 1733500000
#time=1db4a3c5e9f0a00
"BancoBados"="Quintara"
"GerenciadorBancoDados"="SQLServer2000"
"NameUser"="quintara"
"Password"="Demo#2015"
"Servidor"="$address"
"UsarSSI"="0"
REG

echo "Kestrel demo: SQL Server 2008 R2 SP2 (test server) on $address (port 1433), also named" \
    "$address\\QUINTARA; user quintara, password Demo#2015, databases Quintara and QuintaraTreino."
WINEPREFIX=$work "$@"
