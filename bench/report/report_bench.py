#!/usr/bin/env python3
"""`kestrel --relatorio` as a whole process beside the floor, a process that opens the same ODBC
connection and runs the same two statements (raw_odbc_report), and FreeTDS's tsql doing the log-on
and both statements, against the TDS test server on loopback; run in turn, A B C A B C ..., so that
a change in the machine's load falls on all alike. Prints each one's median wall time and peak
memory, and the ratio of Kestrel's median to the floor's (goal <= 1.2).
Usage: bench/report/report_bench.py [BUILD_DIR] [RUNS]   (a Release build is the fair one)"""
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), '..', '..'))
PASSWORD = 'Bench;1}'
STATEMENTS = ("SELECT  SERVERPROPERTY('productversion'), SERVERPROPERTY ('productlevel'), "
              "SERVERPROPERTY ('edition')\ngo\nsp_helpdb N'Quintara'\ngo\nexit\n")


def timed(command, env, stdin=None):
    """Wall seconds and peak resident memory (MB) of one run. The memory is GNU time's account of
    the command alone: a child forked from Python would count Python's own pages."""
    with tempfile.NamedTemporaryFile('r') as memory:
        start = time.perf_counter()
        run = subprocess.run(['/usr/bin/time', '-f', '%M', '-o', memory.name] + command, env=env,
                             input=(stdin or '').encode(), stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
        elapsed = time.perf_counter() - start
        if run.returncode != 0:
            sys.exit('%s failed' % command[0])
        return elapsed, int(memory.read().split()[-1]) / 1024


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, 'build-release')
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 20
    scenario = {'logins': [{'user': 'sa', 'password': PASSWORD}],
                'properties': {'productversion': '10.50.4000.0', 'productlevel': 'SP2',
                               'edition': 'Standard Edition (64-bit)'},
                'databases': [{'name': 'Quintara', 'db_size': '     150.50 MB',
                               'files': [{'filename': 'D:\\Dados\\Quintara.mdf'}]}]}
    server = subprocess.Popen([sys.executable, os.path.join(ROOT, 'tests/support/tds_test_server.py'),
                               '--scenario', '-'], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                              text=True)
    server.stdin.write(json.dumps(scenario))
    server.stdin.close()
    port = server.stdout.readline().split()[1]
    try:
        with tempfile.TemporaryDirectory() as prefix:
            with open(os.path.join(prefix, 'system.reg'), 'w') as reg:
                reg.write('WINE REGISTRY Version 2\n\n#arch=win64\n\n'
                          '[Software\\\\Norvik\\\\Database] 1733500000\n')
                for name, text in (('GerenciadorBancoDados', 'SQLServer2000'),
                                   ('Servidor', '127.0.0.1,' + port), ('BancoBados', 'Quintara'),
                                   ('NameUser', 'sa'), ('Password', PASSWORD), ('UsarSSI', '0')):
                    reg.write('"%s"="%s"\n' % (name, text))
            env = dict(os.environ, WINEPREFIX=prefix, KESTREL_BENCH_PORT=port,
                       KESTREL_BENCH_PASSWORD=PASSWORD)
            env.pop('DISPLAY', None)
            commands = [
                ('kestrel --relatorio', [os.path.join(build, 'src/app/qt/kestrel'), '--relatorio'],
                 None),
                ('raw ODBC process (floor)', [os.path.join(build, 'bench/raw_odbc_report')], None),
                ('tsql process', ['tsql', '-H', '127.0.0.1', '-p', port, '-U', 'sa', '-P',
                                  PASSWORD, '-D', 'Quintara'], STATEMENTS),
            ]
            results = {name: [] for name, _, _ in commands}
            for name, command, stdin in commands:  # a warm-up each
                timed(command, env, stdin)
            for _ in range(runs):
                for name, command, stdin in commands:
                    results[name].append(timed(command, env, stdin))
    finally:
        server.kill()
        server.wait()
    print('median of %d runs each, alternating, test server on loopback' % runs)
    medians = {}
    for name, figures in results.items():
        medians[name] = statistics.median(f[0] for f in figures) * 1000
        print('%-28s %8.1f ms   peak memory %6.1f MB' %
              (name, medians[name], max(f[1] for f in figures)))
    # Each round's ratio, so that a drift in the machine's speed between rounds cancels out.
    pairs = [k[0] / f[0] for k, f in zip(results['kestrel --relatorio'],
                                         results['raw ODBC process (floor)'])]
    print('kestrel / floor: %.2f x the medians, %.2f x the median of each round\'s ratio '
          '(goal <= 1.2)' % (medians['kestrel --relatorio'] / medians['raw ODBC process (floor)'],
                             statistics.median(pairs)))


if __name__ == '__main__':
    main()
