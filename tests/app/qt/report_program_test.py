#!/usr/bin/env python3
"""kestrel with arguments, the Linux program itself: no display variable, Quintara's settings in a
Wine prefix of the test's own, the TDS test server on loopback through unixODBC and FreeTDS. Its
lines, its JSON read by Python's parser, its exit status and message per kind of failure, and no
password in either stream. Usage: report_program_test.py KESTREL"""
import json
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'support'))
from quintara_run import start_server, write_settings

PASSWORD = 'Senha;1}'
WRONG = 'Errada;9}'


def main():
    kestrel = sys.argv[1]
    scenario = {'logins': [{'user': 'sa', 'password': PASSWORD}],
                'properties': {'productversion': '10.50.4000.0', 'productlevel': 'SP2',
                               'edition': 'Standard Edition (64-bit)'},
                'databases': [{'name': 'Quintara', 'db_size': '     150.50 MB',
                               'files': [{'filename': 'D:\\Dados\\Quintara.mdf'}]}]}
    good, port, _ = start_server(scenario)
    good_address = '127.0.0.1,' + port
    bad, port, _ = start_server(dict(scenario, faults={'serverproperty_error': True}))
    bad_address = '127.0.0.1,' + port
    env = {k: v for k, v in os.environ.items()
           if k not in ('DISPLAY', 'WAYLAND_DISPLAY', 'QT_QPA_PLATFORM')}
    lines = ('Servidor: %s\nVersão do SQL Server: 10.50.4000.0 - SQL Server 2008 R2 Service Pack '
             '2\nNível do SQL Server: SP2\nEdição do SQL Server: Standard Edition (64-bit)\n'
             'Edição:\nNome do Banco de Dados: Quintara\nTamanho do Banco de Dados: 150.50 MB\n'
             'Local Banco: D:\\Dados\\Quintara.mdf\n')
    # arguments, settings (server, manager type), standard input, status, standard
    # output (exact text, or a JSON object's members), start of standard error
    other = ['--servidor', good_address, '--banco', 'Quintara', '--usuario', 'sa']
    cases = [
        (['--relatorio'], (good_address,), '', 0, lines % good_address, ''),
        (['--json'], (good_address,), '', 0,
         {'servidor': good_address, 'versao_numero': '10.50.4000.0',
          'versao_nome': 'SQL Server 2008 R2 Service Pack 2', 'erro': None}, ''),
        (other + ['--json'], ('',), PASSWORD + '\n', 0,
         {'banco_dados': 'Quintara', 'erro': None}, ''),
        (['--relatorio'], ('',), '', 3, '', 'As configurações do Quintara'),
        (['--json'], (good_address, 'Oracle'), '', 4,
         {'erro': {'status': 4}}, 'O tipo setado está: Oracle\n'),
        (other, ('',), WRONG, 5, '', 'Erro: '),
        (['--json'], (bad_address,), '', 6, {'versao': '', 'erro': {'status': 6}}, 'Erro: '),
        (['--servidor'], ('',), '', 2, '', 'Uso incorreto: falta o valor de --servidor\n'),
        (['--help'], ('',), '', 0, None, ''),
    ]
    failures = 0
    try:
        for arguments, settings, stdin, status, out, err in cases:
            with tempfile.TemporaryDirectory() as prefix:
                write_settings(prefix, settings[0], PASSWORD, 'sa', *settings[1:])
                run = subprocess.run([kestrel] + arguments, input=stdin.encode(), timeout=120,
                                     capture_output=True, env=dict(env, WINEPREFIX=prefix))
            stdout, stderr = run.stdout.decode('utf-8'), run.stderr.decode('utf-8')
            problems = []
            if run.returncode != status:
                problems.append('status %d, not %d' % (run.returncode, status))
            if isinstance(out, dict):
                got = json.loads(stdout)
                for key, value in out.items():
                    if isinstance(value, dict):
                        got[key] = {k: got[key][k] for k in value} if got[key] else None
                    if got[key] != value:
                        problems.append('%s is %r, not %r' % (key, got[key], value))
            elif out is None:
                if not stdout.startswith('Uso: kestrel'):
                    problems.append('no usage')
            elif stdout != out:
                problems.append('standard output %r, not %r' % (stdout, out))
            if not stderr.startswith(err) or (status != 0) != (stderr != ''):
                problems.append('standard error %r' % stderr)
            if PASSWORD in stdout + stderr or WRONG in stdout + stderr:
                problems.append('a password in the output')
            for problem in problems:
                print('%s: %s' % (' '.join(arguments), problem))
                failures += 1
    finally:
        for server in (good, bad):
            server.kill()
            server.wait()
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
