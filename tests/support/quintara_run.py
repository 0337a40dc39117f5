"""What a test of the program itself starts it with: the TDS test server, and Quintara's settings
in a Wine prefix of the test's own."""
import json
import os
import subprocess
import sys

SUPPORT = os.path.dirname(os.path.abspath(__file__))


def start_server(scenario):
    """The TDS test server with `scenario`, and the port and address it listens on."""
    server = subprocess.Popen(
        [sys.executable, os.path.join(SUPPORT, "tds_test_server.py"), "--scenario", "-"],
        stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    server.stdin.write(json.dumps(scenario))
    server.stdin.close()
    _, port, address = server.stdout.readline().split()  # "PORT <n> <address>"
    return server, port, address


def write_settings(prefix, servidor, password, user="sa", gerenciador="SQLServer2000"):
    """Quintara's settings as Wine keeps them in the prefix's system.reg."""
    values = {"GerenciadorBancoDados": gerenciador, "Servidor": servidor, "BancoBados": "Quintara",
              "NameUser": user, "Password": password, "UsarSSI": "0"}
    with open(os.path.join(prefix, "system.reg"), "w", encoding="utf-8") as reg:
        reg.write("WINE REGISTRY Version 2\n\n#arch=win64\n\n"
                  "[Software\\\\Norvik\\\\Database] 1733500000\n")
        for name, text in values.items():
            reg.write('"%s"="%s"\n' % (name, text.replace("\\", "\\\\").replace('"', '\\"')))
