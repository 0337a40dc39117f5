#!/usr/bin/env bash
# "Ler Quintara..." on registries that Wine itself wrote: a fresh prefix (wineboot -i, about 2 MB of
# system.reg), the same with 20,000 and with 50,000 values in Quintara's key, then the prefix grown
# with Wine's "reg import" to 20 and 200 MB. The settings point at the TDS test server on loopback.
# Usage: bench/registry/run.sh [BUILD_DIR] [RUNS] [OTHER_BUILD_DIR]   (a Release build is the fair
# one; OTHER_BUILD_DIR, a build of another commit, is measured on the same prefixes; RUNS 0 measures
# the first click only. Wine takes about 3 minutes to write the prefixes.)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/wine-env.sh"
build=${1:-$root/build-release}
runs=${2:-5}
benches=("$build/bench/registry_bench")
[ -z "${3:-}" ] || benches+=("$3/bench/registry_bench")
for bench in "${benches[@]}"; do
    [ -x "$bench" ] || { echo "no $bench: build the registry_bench target first" >&2; exit 2; }
done

work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all LC_ALL=C.UTF-8
server=""
cleanup() {
    [ -z "$server" ] || kill "$server" 2>/dev/null || true
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

python3 "$root/tests/support/tds_test_server.py" --scenario "$root/tests/support/demo_scenario.json" \
    >"$work/server.log" &
server=$!
port=""
for _ in $(seq 100); do
    port=$(sed -n 's/^PORT //p' "$work/server.log")
    [ -n "$port" ] && break
    sleep 0.1
done
[ -n "$port" ] || { echo "the TDS test server did not start" >&2; exit 1; }

# In both views, so that a build that reads only one of them finds the same settings.
quintara='HKLM\Software\Norvik\Database'
store_settings() {
    for view in /reg:32 /reg:64; do
        for setting in "GerenciadorBancoDados SQLServer2000" "Servidor 127.0.0.1,$port" \
            "BancoBados Quintara" "NameUser quintara" "Password Demo#2015" "UsarSSI 0"; do
            "$KESTREL_WINE" reg add "$quintara" /v "${setting%% *}" /t REG_SZ \
                /d "${setting#* }" $view /f >/dev/null
        done
    done
}
# wineserver writes the registry files as it ends; a new one stays up for the next commands.
save() {
    wineserver -k
    wineserver -w
    wineserver -p
}
# Imports a .reg file that a Python expression writes, line by line, into $work/import.reg.
import_lines() { # python-generator-expression
    python3 -c "
import sys
out = open('$work/import.reg', 'w', encoding='ascii', newline='\r\n')
out.write('Windows Registry Editor Version 5.00\n\n')
for line in ($1):
    out.write(line + '\n')
"
    "$KESTREL_WINE" reg import "$("$KESTREL_WINE" winepath -w "$work/import.reg")" >/dev/null 2>&1
    save
}
size_mb() { echo $(($(stat -c %s "$WINEPREFIX/system.reg") / 1048576)); }
row() { # label
    for bench in "${benches[@]}"; do
        printf '%-28s %s  %s\n' "$1" "$("$bench" "$WINEPREFIX" "$runs")" "${bench%/bench/*}"
    done
}
# Keys of ten text values each, about 800 bytes of system.reg a key, numbered on from one call to
# the next.
next_key=0
grow_to() { # megabytes
    while [ "$(size_mb)" -lt "$1" ]; do
        local keys=$((($1 - $(size_mb)) * 1048576 / 800 + 100))
        import_lines "line for k in range($next_key, $next_key + $keys) for line in
            ['[HKEY_LOCAL_MACHINE\\\\Software\\\\Kestrel Bench\\\\Grupo %04d\\\\Chave %07d]' % (k // 1000, k)]
            + ['\"Valor %d\"=\"texto de preenchimento %d-%d, abcdefghijklmnopqrstuvwxyz\"' % (v, k, v)
               for v in range(10)] + ['']"
        next_key=$((next_key + keys))
    done
}

mkdir "$WINEPREFIX"
wineserver -p
"$KESTREL_WINE" wineboot -i >/dev/null 2>&1
store_settings
save

printf '%-28s %12s %15s %15s %15s %13s\n' "system.reg" "size" "first click" \
    "later clicks" "6 reads, fresh" "peak RSS"
row "fresh prefix"
for values in 20000 50000; do
    import_lines "line for key in ['Software', 'Software\\\\Wow6432Node'] for line in
        ['[HKEY_LOCAL_MACHINE\\\\%s\\\\Norvik\\\\Database]' % key] +
        ['\"Extra %05d\"=\"valor a mais %d\"' % (i, i) for i in range($values)] + ['']"
    row "$values values in the key"
    "$KESTREL_WINE" reg delete "$quintara" /va /reg:32 /f >/dev/null
    "$KESTREL_WINE" reg delete "$quintara" /va /reg:64 /f >/dev/null
    store_settings
    save
done
grow_to 20
row "grown with reg import"
grow_to 200
row "grown with reg import"
