#!/usr/bin/env python3
"""kestrel with arguments, the Linux program itself (the report's statuses and messages are
report_test.cpp's): with no display variable, over Quintara's settings in a Wine prefix of the
test's own and the TDS test server through unixODBC and FreeTDS, its lines reach standard output,
a password is read from standard input, a failure's message reaches standard error with its exit
status, and no password shows in either stream. Usage: report_program_test.py KESTREL"""
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
    server, port, _ = start_server({
        'logins': [{'user': 'sa', 'password': PASSWORD}],
        'properties': {'productversion': '10.50.4000.0', 'productlevel': 'SP2',
                       'edition': 'Standard Edition (64-bit)'},
        'databases': [{'name': 'Quintara', 'db_size': '     150.50 MB',
                       'files': [{'filename': 'D:\\Dados\\Quintara.mdf'}]}]})
    address = '127.0.0.1,' + port
    env = {k: v for k, v in os.environ.items()
           if k not in ('DISPLAY', 'WAYLAND_DISPLAY', 'QT_QPA_PLATFORM')}
    lines = ('Servidor: %s\nVersão do SQL Server: 10.50.4000.0 - SQL Server 2008 R2 Service Pack '
             '2\nNível do SQL Server: SP2\nEdição do SQL Server: Standard Edition (64-bit)\n'
             'Edição:\nNome do Banco de Dados: Quintara\nTamanho do Banco de Dados: 150.50 MB\n'
             'Local Banco: D:\\Dados\\Quintara.mdf\n') % address
    other = ['--servidor', address, '--banco', 'Quintara', '--usuario', 'sa', '--json']
    # arguments, standard input, status, start of standard output (None: a JSON object whose
    # "banco_dados" is Quintara), start of standard error
    cases = [
        (['--relatorio'], '', 0, lines, ''),
        (other, PASSWORD + '\n', 0, None, ''),
        (other, WRONG, 5, '', 'Erro: '),
        (['--servidor'], '', 2, '', 'Uso incorreto: falta o valor de --servidor\n'),
        (['--help'], '', 0, 'Uso: kestrel', ''),
    ]
    failures = 0
    try:
        for arguments, stdin, status, out, err in cases:
            with tempfile.TemporaryDirectory() as prefix:
                write_settings(prefix, address, PASSWORD)
                run = subprocess.run([kestrel] + arguments, input=stdin.encode(), timeout=120,
                                     capture_output=True, env=dict(env, WINEPREFIX=prefix))
            stdout, stderr = run.stdout.decode('utf-8'), run.stderr.decode('utf-8')
            problems = []
            if run.returncode != status:
                problems.append('status %d, not %d' % (run.returncode, status))
            if out is None and json.loads(stdout)['banco_dados'] != 'Quintara':
                problems.append('standard output %r' % stdout)
            elif out is not None and not stdout.startswith(out):
                problems.append('standard output %r, not %r' % (stdout, out))
            if not stderr.startswith(err) or (status != 0) != (stderr != ''):
                problems.append('standard error %r' % stderr)
            if PASSWORD in stdout + stderr or WRONG in stdout + stderr:
                problems.append('a password in the output')
            for problem in problems:
                print('%s: %s' % (' '.join(arguments), problem))
                failures += 1
    finally:
        server.kill()
        server.wait()
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
