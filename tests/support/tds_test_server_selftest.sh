#!/usr/bin/env bash
# Self-test of tds_test_server.py through the real clients: tsql (FreeTDS),
# isql (unixODBC, DSN-less SQLDriverConnect) and iusql (unixODBC wide API).
# Needs: freetds-bin, tdsodbc, unixodbc.  Exits 0 when every check passes.
set -u
HERE=$(cd "$(dirname "$0")" && pwd)
SERVER="$HERE/tds_test_server.py"
TMP=$(mktemp -d)
PIDS=()
PASS=0 FAIL=0
cleanup() { for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null; done; rm -rf "$TMP"; }
trap cleanup EXIT

ok()   { PASS=$((PASS + 1)); echo "ok   - $1"; }
bad()  { FAIL=$((FAIL + 1)); echo "FAIL - $1"; }
# has DESC FILE TEXT: FILE contains TEXT (fixed string)
has()  { if grep -qF -- "$3" "$2"; then ok "$1"; else bad "$1 (missing: $3)"; sed 's/^/      | /' "$2" | head -20; fi; }

# start_server SCENARIO_FILE LOGFILE -> sets PORT
start_server() {
    /usr/bin/python3 "$SERVER" --scenario "$1" >"$2" 2>"$2.err" &
    PIDS+=($!)
    for _ in $(seq 50); do
        PORT=$(sed -n 's/^PORT \([0-9]*\) .*/\1/p' "$2" | head -1)
        [ -n "$PORT" ] && return 0
        sleep 0.1
    done
    echo "server did not start"; cat "$2.err"; exit 1
}

cat >"$TMP/main.json" <<'EOF'
{"server_name": "SRVTESTE",
 "logins": [{"user": "sa", "password": "Senha;1}"}, {"user": "kestrel", "password": "k3str3l"}],
 "properties": {"productversion": "10.50.4000.0", "productlevel": "SP2", "edition": "Standard Edition (64-bit)"},
 "packet_size": 512,
 "databases": [{"name": "Quintara", "db_size": "    150.50 MB", "owner": "sa", "dbid": 5, "created": "Jan 10 2015",
   "status": "Status=ONLINE", "compatibility_level": 100,
   "files": [{"name": "Quintara", "fileid": 1, "filename": "D:\\Dados\\São Paulo\\Quintara.mdf", "filegroup": "PRIMARY",
              "size": "153600 KB", "maxsize": "Unlimited", "growth": "10%", "usage": "data only"},
             {"name": "Quintara_log", "fileid": 2, "filename": "D:\\Dados\\São Paulo\\Quintara_log.ldf", "filegroup": null,
              "size": "1024 KB", "maxsize": "2147483648 KB", "growth": "10%", "usage": "log only"}]}]}
EOF
start_server "$TMP/main.json" "$TMP/main.log"
MAIN_PID=${PIDS[0]}
PROPS="SELECT SERVERPROPERTY('productversion'), SERVERPROPERTY('productlevel'), SERVERPROPERTY('edition')"

# --- tsql ------------------------------------------------------------------
tsql_run() {  # tsql_run OUTFILE EXTRA_ARGS... < sql
    timeout 20 tsql -H 127.0.0.1 -p "$PORT" "${@:2}" >"$1" 2>&1
}
printf '%s\ngo\nsp_helpdb Quintara\ngo\nsp_helpdb nada\ngo\nsp_helpdb my-db\ngo\nexit\n' "$PROPS" \
    | tsql_run "$TMP/tsql.out" -U sa -P 'Senha;1}'
has "tsql: property row"             "$TMP/tsql.out" $'10.50.4000.0\tSP2\tStandard Edition (64-bit)'
has "tsql: sp_helpdb file, non-ASCII" "$TMP/tsql.out" 'D:\Dados\São Paulo\Quintara.mdf'
has "tsql: sp_helpdb unknown -> 15010" "$TMP/tsql.out" 'Msg 15010 (severity 16'
has "tsql: bad identifier -> 102"    "$TMP/tsql.out" "Msg 102 (severity 15, state 1) from SRVTESTE"
echo exit | tsql_run "$TMP/badpw.out" -U sa -P wrong
has "tsql: wrong password -> 18456"  "$TMP/badpw.out" "Msg 18456 (severity 14"
echo exit | tsql_run "$TMP/baddb.out" -U sa -P 'Senha;1}' -D Nope
has "tsql: unknown database -> 4060" "$TMP/baddb.out" "Msg 4060 (severity 11"

# --- isql, DSN-less, every TDS version ------------------------------------
for v in 7.1 7.2 7.3 7.4 auto; do
    printf '%s\nsp_helpdb Quintara\n' "$PROPS" | timeout 20 isql \
        "DRIVER={FreeTDS};SERVER=127.0.0.1;PORT=$PORT;UID=sa;PWD={Senha;1}};DATABASE=Quintara;TDS_Version=$v;ClientCharset=UTF-8" \
        -k -b -v -d'|' >"$TMP/isql-$v.out" 2>&1
    has "isql TDS $v: property row" "$TMP/isql-$v.out" '10.50.4000.0|SP2|Standard Edition (64-bit)'
    has "isql TDS $v: file path"    "$TMP/isql-$v.out" 'D:\Dados\São Paulo\Quintara_log.ldf'
done

# --- iusql (wide API) through a throw-away DSN ----------------------------
printf '[kt]\nDriver=FreeTDS\nServer=127.0.0.1\nPort=%s\nDatabase=Quintara\nTDS_Version=7.4\nClientCharset=UTF-8\n' \
    "$PORT" >"$TMP/odbc.ini"
printf '%s\nsp_helpdb Quintara\n' "$PROPS" | ODBCINI="$TMP/odbc.ini" timeout 20 iusql kt kestrel k3str3l -b -v -d'|' \
    >"$TMP/iusql.out" 2>&1
has "iusql: full text, not first char" "$TMP/iusql.out" 'Standard Edition (64-bit)'
# iusql prints each SQLWCHAR as one byte: U+00E3 shows as the byte 0xE3 (a
# mangled value would show as "SÃ£o" or "S?o").
LC_ALL=C has "iusql: non-ASCII path intact" "$TMP/iusql.out" $'D:\\Dados\\S\xe3o Paulo\\Quintara.mdf'

# --- stall: client gives up at its login timeout ----------------------------
echo '{"logins": [{"user": "sa", "password": "x"}], "faults": {"stall": true}}' >"$TMP/stall.json"
start_server "$TMP/stall.json" "$TMP/stall.log"
# An explicit TDS version: with "auto" FreeTDS 1.3 retries as TDS 5.0 after the
# timeout and then hangs far beyond the login timeout.
printf '[stall]\n\thost = 127.0.0.1\n\tport = %s\n\tconnect timeout = 2\n\ttds version = 7.4\n' "$PORT" \
    >"$TMP/freetds.conf"
START=$(date +%s)
echo "select 1" | FREETDSCONF="$TMP/freetds.conf" timeout 20 isql "DRIVER={FreeTDS};Servername=stall;UID=sa;PWD=x" \
    -k -b -v >"$TMP/stall.out" 2>&1
ELAPSED=$(( $(date +%s) - START ))
has "stall: login timeout reported" "$TMP/stall.out" "Timeout expired"
if [ "$ELAPSED" -le 8 ]; then ok "stall: gave up in ${ELAPSED}s"; else bad "stall: took ${ELAPSED}s"; fi

# --- event log and clean exit ---------------------------------------------
kill -TERM "$MAIN_PID"
for _ in $(seq 50); do kill -0 "$MAIN_PID" 2>/dev/null || break; sleep 0.1; done
if wait "$MAIN_PID"; then ok "server exits 0 on SIGTERM"; else bad "server exit status on SIGTERM"; fi
has "log: login ok"      "$TMP/main.log" "LOGIN OK user=sa database=Quintara"
has "log: login refused" "$TMP/main.log" "LOGIN REFUSED user=sa"
has "log: batch"         "$TMP/main.log" "BATCH sp_helpdb Quintara"
has "log: rpc"           "$TMP/main.log" "RPC sp_prepexec"
has "log: close"         "$TMP/main.log" "CLOSE"
if grep -qF -e 'Senha;1}' -e k3str3l "$TMP/main.log"; then bad "log: password printed"; else ok "log: no password"; fi

echo "$PASS passed, $FAIL failed"
[ "$FAIL" -eq 0 ]
