#!/usr/bin/python3
"""Kestrel's SQL-Server-speaking TDS test server (loopback only, stdlib only).

Speaks TDS 7.1 - 7.4 well enough for FreeTDS (tsql, FreeTDS ODBC through
unixODBC) to log in, run batches and RPCs, and read the results that Kestrel
needs: SERVERPROPERTY(...), DB_NAME(), sp_helpdb.  No TLS, ever: PRELOGIN
answers ENCRYPT_NOT_SUP.

Usage:
    python3 tests/support/tds_test_server.py --scenario FILE.json
    python3 tests/support/tds_test_server.py --scenario - < FILE.json
    python3 tests/support/tds_test_server.py --control [--port N]
Optional: --port N (overrides the scenario's "port").

Control mode serves scenarios on demand to programs that cannot start this
script themselves (the Windows tests under Wine).  It prints "PORT <n>
127.0.0.1", its control port, then takes connections there.  On each, the client sends
"<length>\\n" and that many bytes of scenario JSON; the server starts that
scenario on a port of its own and sends back on the control connection the
lines described below for stdout, "PORT <n> <address>" first (or one
"ERROR ..." line for a bad scenario or an address it cannot have).  When the client ends its sending (shutdown), the
scenario stops, and then the server closes the control connection.

Binds loopback addresses only: 127.0.0.1, or with "address": "own" a
loopback address 127.0.0.N of its own (N at random, another N while the
port, or the Browser's, is taken there), so that a fixed port such as 1433
never collides with another run or a server on 127.0.0.1.  Runs until
SIGTERM/SIGINT, or until the process that started it ends, then exits 0.

stdout (one line per event, flushed; the first line is always the port):
    PORT <n> <address>
    LOGIN OK user=<name> database=<db>
    LOGIN REFUSED user=<name>
    BATCH <first 200 chars of the SQL, CR/LF written as \\r \\n>
    RPC <procedure name>       (sp_executesql, sp_prepexec, sp_helpdb, ...)
    PRELOGIN REFUSED           (refuse_mars_prelogin closed a handshake)
    CLOSE                      (a client connection ended, whatever the cause)
    BROWSER INSTANCE <name>    (an SQL Server Browser question for one instance)
    BROWSER LIST               (an SQL Server Browser question for all of them)
Passwords are never printed.  Diagnostics go to stderr.

Scenario JSON (every key optional; defaults shown after "="):
{
  "server_name": "SRVTESTE",        // = "KESTRELTEST"; ERROR/INFO server name,
                                    //   @@SERVERNAME, fallback for
                                    //   SERVERPROPERTY('servername'/'machinename')
  "address": "127.0.0.1",           // = "127.0.0.1"; "own": 127.0.0.N, see above
  "port": 0,                        // = 0 (free port)
  "browser": {"instances": ["QUINTARA"], "silent": false},
                                    // = none; an SQL Server Browser on UDP
                                    //   1434 of the address: each instance
                                    //   is served by this server's TCP port;
                                    //   an unknown one gets no answer, as from
                                    //   the real service; "silent" answers
                                    //   nothing at all; "tcp": "12a4" gives
                                    //   that text as the port; "noise_first":
                                    //   true sends an empty and a damaged
                                    //   datagram before each answer; "delay":
                                    //   2.5 sends each answer that late
  "packet_size": 512,               // = none; upper bound on the negotiated
                                    //   packet size (512..32767), to force
                                    //   multi-packet requests and answers
  "logins": [{"user": "sa", "password": "Senha;1}", "default_database": "master"}],
                                    // user names match case-insensitively,
                                    //   passwords exactly
  "default_database": "master",     // = "master"; used when the login names no
                                    //   database and the login has no default
  "properties": {"productversion": "10.50.4000.0", "productlevel": "SP2",
                 "edition": "Standard Edition (64-bit)"},
                                    // SERVERPROPERTY keys (case-insensitive);
                                    //   a JSON null or a missing key gives NULL.
                                    //   productversion also sets the version in
                                    //   PRELOGIN/LOGINACK (10.50 if unparsable)
  "version_string": "...",          // = built from properties; @@VERSION
  "file_columns": "nchar",          // = "nchar": sp_helpdb's 2nd result set has
                                    //   name nchar(128) and filename nchar(260),
                                    //   blank-padded like the real server;
                                    //   "nvarchar" sends them unpadded
  "databases": [
    {"name": "Quintara", "db_size": "     150.50 MB", "owner": "sa", "dbid": 5,
     "created": "Jan 10 2015", "status": "Status=ONLINE, ...",
     "compatibility_level": 100,
     "files": [{"name": "Quintara", "fileid": 1, "filename": "D:\\\\Dados\\\\Quintara.mdf",
                "filegroup": "PRIMARY", "size": "153600 KB", "maxsize": "Unlimited",
                "growth": "10%", "usage": "data only"}]}
  ],                                // any value may be null -> NULL in the row
  "faults": {
    "delay_ms": 0,                  // wait before answering each batch/RPC; an
                                    //   ATTENTION during the wait cancels it
    "login_delay_ms": 0,            // wait before answering LOGIN7
    "stall": false,                 // accept TCP, never answer anything
    "close_on": null,               // "login" | "serverproperty" | "sp_helpdb":
                                    //   send the first part of that answer in a
                                    //   non-final packet, then close the socket
    "half_answer_on": null,         // the same answers: send that first part,
                                    //   then nothing more (socket left open)
    "drip_on": null,                // the same answers: send that answer one
    "drip_ms": 1000,                //   byte every drip_ms
    "refuse_mars_prelogin": false,  // close the socket on a PRELOGIN that offers
                                    //   MARS (from clients asking TDS 7.2 or
                                    //   later), so their handshake fails
    "stall_after_login": false,     // answer the log-on, then nothing more
                                    //   (ATTENTION included)
    "false_variant_length": false,  // SERVERPROPERTY's sql_variant values claim
                                    //   64 bytes more than they carry
    "error_records": 0,             // answer the SERVERPROPERTY query (or the
    "error_records_on": "serverproperty", // "login": refuse it) with that many
                                    //   error messages
    "value_chars": 0,               // SERVERPROPERTY text values repeated to
                                    //   that many characters; beyond 4000 they
                                    //   go out as ntext
    "serverproperty_error": false,  // any SERVERPROPERTY -> error 195
    "empty_result": null,           // "serverproperty" | "sp_helpdb" (every
                                    //   sp_helpdb result set has no rows) |
                                    //   "sp_helpdb_files" (only the file list)
    "no_second_result": false       // sp_helpdb <db> sends only the 1st set
  }
}
master, tempdb, model and msdb (and the default database) can always be used
as initial database or with USE, but appear in sp_helpdb only when listed.

What is understood (case- and whitespace-insensitive; comments ignored;
statements split at ';'):
  * SELECT <list> without FROM, items being SERVERPROPERTY('k'), DB_NAME(),
    DB_NAME(id), DB_ID(), @@VERSION, @@SERVERNAME, @@SPID, @@LANGUAGE,
    @@TRANCOUNT, APP_NAME(), HOST_NAME(), SUSER_NAME(), SUSER_SNAME(),
    USER_NAME(), literals, CAST(x AS t), CONVERT(t, x), ISNULL(a, b), each with
    an optional [AS] alias.  SERVERPROPERTY gives sql_variant (base type
    NVARCHAR); an item without alias gives an unnamed column.
  * [EXEC[UTE]] [db.[schema].]sp_helpdb [arg], arg being nothing, NULL, a bare
    identifier, [bracketed], "quoted", 'literal', N'literal' or @dbname = <any
    of those>.  Stray tokens after the argument -> error 102.
  * SELECT name FROM master.dbo.sysdatabases ORDER BY name (also master..
    sysdatabases, sys.databases): the listed databases and the system ones.
  * USE <db>.  SET FMTONLY ON <stmt> SET FMTONLY OFF (metadata, no rows).
  * Anything else -> DONE with count 0 (still logged).
RPC: sp_executesql, sp_prepexec, sp_prepare, sp_execute, sp_unprepare (the
statement is run with the parameter values put in as literals), sp_helpdb by
name (first parameter = database name); other procedures -> return status 0.
"""

import argparse
import errno
import json
import os
import random
import re
import select
import signal
import socket
import struct
import sys
import threading
import time

# ---------------------------------------------------------------------------
# Protocol constants
# ---------------------------------------------------------------------------
PKT_SQL_BATCH = 0x01
PKT_RPC = 0x03
PKT_REPLY = 0x04
PKT_ATTENTION = 0x06
PKT_TRANS_MGR = 0x0E
PKT_LOGIN7 = 0x10
PKT_PRELOGIN = 0x12

ST_EOM = 0x01
ST_IGNORE = 0x02

TOK_RETURNSTATUS = 0x79
TOK_COLMETADATA = 0x81
TOK_ERROR = 0xAA
TOK_INFO = 0xAB
TOK_RETURNVALUE = 0xAC
TOK_LOGINACK = 0xAD
TOK_ROW = 0xD1
TOK_ENVCHANGE = 0xE3
TOK_DONE = 0xFD
TOK_DONEPROC = 0xFE
TOK_DONEINPROC = 0xFF

DONE_FINAL = 0x00
DONE_MORE = 0x01
DONE_ERROR = 0x02
DONE_COUNT = 0x10
DONE_ATTN = 0x20

CMD_SELECT = 0xC1
CMD_EXECUTE = 0xE0

# SQL_Latin1_General_CP1_CI_AS
COLLATION = bytes([0x09, 0x04, 0xD0, 0x00, 0x34])

PROC_IDS = {1: 'sp_cursor', 2: 'sp_cursoropen', 3: 'sp_cursorprepare',
            4: 'sp_cursorexecute', 5: 'sp_cursorprepexec', 6: 'sp_cursorunprepare',
            7: 'sp_cursorfetch', 8: 'sp_cursoroption', 9: 'sp_cursorclose',
            10: 'sp_executesql', 11: 'sp_prepare', 12: 'sp_execute',
            13: 'sp_prepexec', 14: 'sp_prepexecrpc', 15: 'sp_unprepare'}

SYSTEM_DATABASES = ('master', 'tempdb', 'model', 'msdb')
MAX_MESSAGE = 16 * 1024 * 1024

# ---------------------------------------------------------------------------
# Event log on stdout
# ---------------------------------------------------------------------------
_out_lock = threading.Lock()


def emit(line):
    with _out_lock:
        try:
            sys.stdout.write(line + '\n')
            sys.stdout.flush()
        except (OSError, ValueError):
            pass                      # nobody reads the log any more


def warn(msg):
    with _out_lock:
        sys.stderr.write('tds_test_server: %s\n' % msg)
        sys.stderr.flush()


def log_text(s, limit=200):
    return s[:limit].replace('\r', '\\r').replace('\n', '\\n')


PRELOGIN_MARS = 0x04


def prelogin_options(payload):
    """The option tokens a PRELOGIN names, up to its terminator."""
    tokens = set()
    for at in range(0, len(payload), 5):
        if payload[at] == 0xFF:
            break
        tokens.add(payload[at])
    return tokens


# ---------------------------------------------------------------------------
# Scenario
# ---------------------------------------------------------------------------
class Scenario:
    def __init__(self, d):
        if not isinstance(d, dict):
            raise ValueError('scenario must be a JSON object')
        self.server_name = str(d.get('server_name') or 'KESTRELTEST')
        self.address = str(d.get('address') or '127.0.0.1')
        self.port = int(d.get('port') or 0)
        browser = d.get('browser')
        self.browser_instances = None
        self.browser_silent = False
        self.browser_tcp = None
        self.browser_noise_first = False
        self.browser_delay = 0
        if browser is not None:
            if not isinstance(browser, dict):
                raise ValueError('browser must be an object')
            self.browser_instances = [str(name) for name in browser.get('instances') or []]
            self.browser_silent = bool(browser.get('silent'))
            self.browser_tcp = browser.get('tcp')
            self.browser_noise_first = bool(browser.get('noise_first'))
            self.browser_delay = float(browser.get('delay') or 0)
        ps = d.get('packet_size')
        self.packet_cap = None if ps is None else max(512, min(32767, int(ps)))
        self.logins = []
        for lg in d.get('logins') or []:
            self.logins.append({'user': str(lg['user']),
                                'password': str(lg.get('password', '')),
                                'default_database': lg.get('default_database')})
        self.default_database = str(d.get('default_database') or 'master')
        self.properties = {str(k).lower(): v for k, v in (d.get('properties') or {}).items()}
        self.version_string = d.get('version_string')
        self.file_columns = str(d.get('file_columns') or 'nchar').lower()
        if self.file_columns not in ('nchar', 'nvarchar'):
            raise ValueError('file_columns must be "nchar" or "nvarchar"')
        self.databases = list(d.get('databases') or [])
        for db in self.databases:
            if not isinstance(db, dict) or not db.get('name'):
                raise ValueError('every database needs a "name"')
        f = d.get('faults') or {}
        self.delay_ms = int(f.get('delay_ms') or 0)
        self.login_delay_ms = int(f.get('login_delay_ms') or 0)
        self.stall = bool(f.get('stall'))
        self.close_on = f.get('close_on')
        self.half_answer_on = f.get('half_answer_on')
        self.drip_on = f.get('drip_on')
        self.drip_ms = int(f.get('drip_ms') or 1000)
        self.stall_after_login = bool(f.get('stall_after_login'))
        self.refuse_mars_prelogin = bool(f.get('refuse_mars_prelogin'))
        self.false_variant_length = bool(f.get('false_variant_length'))
        self.error_records = int(f.get('error_records') or 0)
        self.error_records_on = f.get('error_records_on') or 'serverproperty'
        self.value_chars = int(f.get('value_chars') or 0)
        self.serverproperty_error = bool(f.get('serverproperty_error'))
        self.empty_result = f.get('empty_result')
        self.no_second_result = bool(f.get('no_second_result'))
        answers = ('login', 'serverproperty', 'sp_helpdb')
        for key, val, allowed in (('close_on', self.close_on, answers),
                                  ('half_answer_on', self.half_answer_on, answers),
                                  ('drip_on', self.drip_on, answers),
                                  ('error_records_on', self.error_records_on, ('login', 'serverproperty')),
                                  ('empty_result', self.empty_result,
                                   ('serverproperty', 'sp_helpdb', 'sp_helpdb_files'))):
            if val is not None and val not in allowed:
                raise ValueError('faults.%s must be null or one of %s' % (key, ', '.join(allowed)))

    def answer_fault(self, answer):
        """How the answer to "login", "serverproperty" or "sp_helpdb" goes out:
        None (whole), 'close', 'half' or 'drip'."""
        for fault, on in (('close', self.close_on), ('half', self.half_answer_on),
                          ('drip', self.drip_on)):
            if on == answer:
                return fault
        return None

    def find_db(self, name):
        if name is None:
            return None
        for db in self.databases:
            if str(db['name']).lower() == name.lower():
                return db
        return None

    def find_db_by_id(self, dbid):
        for db in self.databases:
            if db.get('dbid') == dbid:
                return db
        return None

    def db_usable(self, name):
        """Canonical name if the database can be opened, else None."""
        db = self.find_db(name)
        if db is not None:
            return str(db['name'])
        if name.lower() in SYSTEM_DATABASES or name.lower() == self.default_database.lower():
            return name
        return None

    def prop(self, key):
        key = key.lower()
        if key in self.properties:
            v = self.properties[key]
            return None if v is None else str(v)
        if key == 'servername':
            return self.server_name
        if key == 'machinename':
            return self.server_name.split('\\')[0]
        return None

    def version_tuple(self):
        """(major, minor, build) for PRELOGIN / LOGINACK."""
        m = re.match(r'\s*(\d+)\.(\d+)(?:\.(\d+))?', self.prop('productversion') or '')
        if not m:
            return (10, 50, 0)
        return (int(m.group(1)) & 0xFF, int(m.group(2)) & 0xFF, int(m.group(3) or 0) & 0xFFFF)

    def version(self):
        if self.version_string is not None:
            return str(self.version_string)
        return 'Microsoft SQL Server - %s (X64)\n\t%s on Windows NT 6.1 <X64>' % (
            self.prop('productversion') or '10.50.0.0',
            self.prop('edition') or 'Standard Edition (64-bit)')


# ---------------------------------------------------------------------------
# Columns and values
# ---------------------------------------------------------------------------
class Col:
    """kind: nvarchar nchar varchar int smallint tinyint variant ntext.
    false_length: bytes that a variant value claims beyond what it carries."""

    def __init__(self, name, kind, size=0, nullable=True, false_length=0):
        self.name, self.kind, self.size, self.nullable = name, kind, size, nullable
        self.false_length = false_length


def u16(s):
    return s.encode('utf-16le', 'surrogatepass')


def b_varchar(s):
    b = u16(s)
    return bytes([len(b) // 2]) + b


def us_varchar(s):
    b = u16(s)
    return struct.pack('<H', len(b) // 2) + b


def fit_columns(cols, rows):
    """Grow declared string sizes so that no value is longer than its column
    (scenario values need not respect sp_helpdb's widths)."""
    for i, c in enumerate(cols):
        for r in rows:
            v = r[i]
            if v is None or c.kind not in ('nvarchar', 'nchar', 'varchar'):
                continue
            n = len(u16(str(v))) // 2 if c.kind != 'varchar' else len(str(v))
            if n > c.size:
                c.size = n
    for c in cols:
        if c.kind in ('nvarchar', 'nchar') and c.size > 4000:
            c.size = 4000
        if c.kind == 'varchar' and c.size > 8000:
            c.size = 8000


def type_info(c, tds72):
    if c.kind == 'ntext':
        table = b'\x00' if tds72 else b'\x00\x00'     # no table name parts / empty name
        return bytes([0x63]) + struct.pack('<i', 0x7FFFFFFF) + COLLATION + table
    if c.kind == 'nvarchar':
        return bytes([0xE7]) + struct.pack('<H', max(1, c.size) * 2) + COLLATION
    if c.kind == 'nchar':
        return bytes([0xEF]) + struct.pack('<H', max(1, c.size) * 2) + COLLATION
    if c.kind == 'varchar':
        return bytes([0xA7]) + struct.pack('<H', max(1, c.size)) + COLLATION
    if c.kind in ('int', 'smallint', 'tinyint'):
        return bytes([0x26, {'int': 4, 'smallint': 2, 'tinyint': 1}[c.kind]])
    if c.kind == 'variant':
        return bytes([0x62]) + struct.pack('<i', 8016)
    raise ValueError(c.kind)


def value_bytes(c, v):
    if c.kind in ('nvarchar', 'nchar'):
        if v is None:
            return b'\xff\xff'
        s = str(v)
        if c.kind == 'nchar':
            s = s + ' ' * max(0, c.size - len(u16(s)) // 2)
        b = u16(s)[:c.size * 2]
        return struct.pack('<H', len(b)) + b
    if c.kind == 'varchar':
        if v is None:
            return b'\xff\xff'
        b = str(v).encode('cp1252', 'replace')[:c.size]
        return struct.pack('<H', len(b)) + b
    if c.kind in ('int', 'smallint', 'tinyint'):
        if v is None:
            return b'\x00'
        fmt = {'int': '<i', 'smallint': '<h', 'tinyint': '<B'}[c.kind]
        b = struct.pack(fmt, int(v))
        return bytes([len(b)]) + b
    if c.kind == 'variant':
        if v is None:
            return struct.pack('<i', 0)
        b = u16(str(v))
        inst = bytes([0xE7, 7]) + COLLATION + struct.pack('<H', max(256, len(b))) + b
        return struct.pack('<i', len(inst) + c.false_length) + inst
    if c.kind == 'ntext':
        if v is None:
            return b'\x00'
        b = u16(str(v))
        return bytes([16]) + bytes(16) + bytes(8) + struct.pack('<i', len(b)) + b
    raise ValueError(c.kind)


# ---------------------------------------------------------------------------
# Token stream writer
# ---------------------------------------------------------------------------
class Writer:
    def __init__(self, tds):
        self.tds = tds            # major*16+minor style: 0x71 .. 0x74
        self.b = bytearray()

    @property
    def tds72(self):
        return self.tds >= 0x72

    def message(self, number, state, cls, text, server, proc='', line=1, info=False):
        body = (struct.pack('<iBB', number, state, cls) + us_varchar(text) + b_varchar(server)
                + b_varchar(proc) + (struct.pack('<i', line) if self.tds72 else struct.pack('<H', line)))
        self.b += bytes([TOK_INFO if info else TOK_ERROR]) + struct.pack('<H', len(body)) + body

    def envchange(self, typ, new, old):
        body = bytes([typ]) + b_varchar(new) + b_varchar(old)
        self.b += bytes([TOK_ENVCHANGE]) + struct.pack('<H', len(body)) + body

    def envchange_collation(self):
        body = bytes([7, len(COLLATION)]) + COLLATION + b'\x00'
        self.b += bytes([TOK_ENVCHANGE]) + struct.pack('<H', len(body)) + body

    def loginack(self, tds_word, version):
        body = (bytes([1]) + struct.pack('>I', tds_word) + b_varchar('Microsoft SQL Server')
                + bytes([version[0], version[1], version[2] >> 8, version[2] & 0xFF]))
        self.b += bytes([TOK_LOGINACK]) + struct.pack('<H', len(body)) + body

    def _usertype(self):
        return struct.pack('<I', 0) if self.tds72 else struct.pack('<H', 0)

    def colmetadata(self, cols):
        self.b += bytes([TOK_COLMETADATA]) + struct.pack('<H', len(cols))
        for c in cols:
            self.b += (self._usertype() + struct.pack('<H', 0x0001 if c.nullable else 0)
                       + type_info(c, self.tds72))
            self.b += b_varchar(c.name)

    def row(self, cols, values):
        self.b += bytes([TOK_ROW])
        for c, v in zip(cols, values):
            self.b += value_bytes(c, v)

    def returnstatus(self, v):
        self.b += bytes([TOK_RETURNSTATUS]) + struct.pack('<i', v)

    def returnvalue(self, ordinal, name, col, value):
        self.b += bytes([TOK_RETURNVALUE]) + struct.pack('<H', ordinal) + b_varchar(name) + b'\x01'
        self.b += (self._usertype() + struct.pack('<H', 0x0001) + type_info(col, self.tds72)
                   + value_bytes(col, value))

    def done(self, token, status, curcmd=0, count=0):
        self.b += bytes([token]) + struct.pack('<HH', status, curcmd)
        self.b += struct.pack('<Q', count) if self.tds72 else struct.pack('<I', count & 0xFFFFFFFF)


# ---------------------------------------------------------------------------
# T-SQL tokenizer (just enough)
# ---------------------------------------------------------------------------
class Tok:
    __slots__ = ('kind', 'val', 'raw', 'start', 'end')

    def __init__(self, kind, val, raw, start, end):
        self.kind, self.val, self.raw, self.start, self.end = kind, val, raw, start, end

    def up(self):
        return self.val.upper() if self.kind == 'ident' else None

    def __repr__(self):
        return 'Tok(%s,%r)' % (self.kind, self.val)


class SqlError(Exception):
    def __init__(self, number, cls, text, state=1, proc=''):
        Exception.__init__(self, text)
        self.number, self.cls, self.text, self.state, self.proc = number, cls, text, state, proc


class Unrecognized(Exception):
    pass


_TOKEN_RE = re.compile(r"""
    (?P<ws>\s+)
  | (?P<lc>--[^\n]*)
  | (?P<bc>/\*.*?\*/)
  | (?P<str>[Nn]?'(?:[^']|'')*')
  | (?P<brk>\[(?:[^\]]|\]\])*\])
  | (?P<dq>"(?:[^"]|"")*")
  | (?P<num>0[xX][0-9A-Fa-f]*|\d+(?:\.\d*)?(?:[eE][-+]?\d+)?)
  | (?P<ident>[^\W\d]\w*|[@#][\w@#$]*)
  | (?P<op>.)
""", re.X | re.S)


def tokenize(sql):
    toks = []
    pos = 0
    while pos < len(sql):
        m = _TOKEN_RE.match(sql, pos)
        kind = m.lastgroup
        raw = m.group(kind)
        if kind == 'op' and raw in '\'["':
            raise SqlError(105, 15, "Unclosed quotation mark after the character string '%s'."
                           % sql[pos + 1:])
        if kind == 'op' and raw == '/' and sql[pos + 1:pos + 2] == '*':
            raise SqlError(113, 15, "Missing end comment mark '*/'.")
        pos = m.end()
        if kind in ('ws', 'lc', 'bc'):
            continue
        if kind == 'str':
            val = raw[raw.index("'") + 1:-1].replace("''", "'")
        elif kind == 'brk':
            val, kind = raw[1:-1].replace(']]', ']'), 'qid'
        elif kind == 'dq':
            val, kind = raw[1:-1].replace('""', '"'), 'qid'
        else:
            val = raw
        toks.append(Tok(kind, val, raw, m.start(), m.end()))
    return toks


def split_statements(toks):
    stmts, cur = [], []
    for t in toks:
        if t.kind == 'op' and t.val == ';':
            if cur:
                stmts.append(cur)
            cur = []
        else:
            cur.append(t)
    if cur:
        stmts.append(cur)
    return stmts


def near(t):
    return SqlError(102, 15, "Incorrect syntax near '%s'." % t.raw)


# ---------------------------------------------------------------------------
# Statement results
# ---------------------------------------------------------------------------
class Result:
    """What one statement produced, before it is written as tokens."""

    def __init__(self, kind='other', curcmd=0):
        self.kind = kind            # 'other' | 'select' | 'proc'
        self.curcmd = curcmd
        self.events = []            # ('rs', cols, rows) | ('msg', SqlError, info) | ('env', typ, new, old)
        self.error = False
        self.retstatus = 0
        self.returnvalues = []      # (ordinal, name, Col, value)
        self.inner = None           # list of Result run inside this procedure

    def rs(self, cols, rows):
        fit_columns(cols, rows)
        self.events.append(('rs', cols, rows))

    def err(self, e, info=False):
        self.events.append(('msg', e, info))
        if not info and e.cls > 10:
            self.error = True


def write_results(w, results, server, nested=False):
    """Batch level: DONE / DONEPROC; nested (inside an RPC): DONEINPROC."""
    n = len(results)
    for i, r in enumerate(results):
        more = DONE_MORE if (nested or i < n - 1) else DONE_FINAL
        if r.inner is not None:
            write_results(w, r.inner, server, nested=True)
        last_rows = None
        for ev in r.events:
            if ev[0] == 'rs':
                cols, rows = ev[1], ev[2]
                w.colmetadata(cols)
                for row in rows:
                    w.row(cols, row)
                if r.kind == 'proc':
                    w.done(TOK_DONEINPROC, DONE_MORE | DONE_COUNT, CMD_SELECT, len(rows))
                else:
                    last_rows = len(rows)
            elif ev[0] == 'msg':
                e = ev[1]
                w.message(e.number, e.state, e.cls, e.text, server, e.proc, info=ev[2])
            elif ev[0] == 'env':
                w.envchange(ev[1], ev[2], ev[3])
        err = DONE_ERROR if r.error else 0
        if r.kind == 'proc':
            if nested:
                if r.error:
                    w.done(TOK_DONEINPROC, DONE_MORE | DONE_ERROR, CMD_EXECUTE, 0)
                continue
            w.returnstatus(r.retstatus)
            for rv in r.returnvalues:
                w.returnvalue(*rv)
            w.done(TOK_DONEPROC, more | err, CMD_EXECUTE, 0)
        else:
            status = more | err | (DONE_COUNT if last_rows is not None else 0)
            w.done(TOK_DONEINPROC if nested else TOK_DONE, status, r.curcmd, last_rows or 0)


# ---------------------------------------------------------------------------
# SQL execution
# ---------------------------------------------------------------------------
class Value:
    def __init__(self, kind, v, size=0):
        self.kind, self.v, self.size = kind, v, size


class Request:
    """Per-request state: which fault applies."""

    def __init__(self):
        self.fault = None             # how the answer goes out (Scenario.answer_fault)


class Engine:
    """Runs SQL text for one session."""

    def __init__(self, sess):
        self.s = sess
        self.sc = sess.sc

    # -- batch ------------------------------------------------------------
    def run_sql(self, sql, req):
        try:
            toks = tokenize(sql)
        except SqlError as e:
            return [self._error_result(e)]
        fmtonly = False
        if (len(toks) >= 3 and toks[0].up() == 'SET' and toks[1].up() == 'FMTONLY'
                and toks[2].up() == 'ON'):
            fmtonly = True
            toks = toks[3:]
            if (len(toks) >= 3 and toks[-3].up() == 'SET' and toks[-2].up() == 'FMTONLY'
                    and toks[-1].up() == 'OFF'):
                toks = toks[:-3]
        stmts = split_statements(toks)
        if not stmts:
            return [Result()]
        # Compile step: a syntax error anywhere stops the whole batch.
        plans = []
        for st in stmts:
            try:
                plans.append(self.plan(st, req))
            except SqlError as e:
                return [self._error_result(e)]
        results = []
        for plan in plans:
            r = plan()
            if fmtonly:
                for ev in r.events:
                    if ev[0] == 'rs':
                        del ev[2][:]
            results.append(r)
        return results

    @staticmethod
    def _error_result(e):
        r = Result()
        r.err(e)
        return r

    def plan(self, toks, req):
        """Return a callable producing a Result; raises SqlError for syntax errors."""
        first = toks[0].up()
        if first in ('EXEC', 'EXECUTE'):
            return self.plan_exec(toks[1:], req, toks[0])
        if first == 'USE':
            return self.plan_use(toks)
        if first == 'SELECT' and ''.join(t.raw.upper() for t in toks) in self.DATABASE_LIST_QUERIES:
            return self.list_databases
        if first == 'SELECT':
            try:
                return self.plan_select(toks[1:], req)
            except Unrecognized:
                return lambda: Result()
        # A procedure call without EXEC (allowed as the first statement).
        if toks[0].kind in ('ident', 'qid'):
            name, rest = self.proc_name(toks)
            if name is not None and name.lower() == 'sp_helpdb':
                return self.plan_exec(toks, req, toks[0])
        return lambda: Result()

    @staticmethod
    def proc_name(toks):
        """[a.][b.]name or a..name -> (last part, remaining tokens)."""
        i, last = 0, None
        while i < len(toks):
            t = toks[i]
            if t.kind not in ('ident', 'qid') or (t.kind == 'ident' and t.val.startswith('@')):
                if t.kind == 'op' and t.val == '.':
                    i += 1
                    continue
                break
            last = t.val
            i += 1
            if i < len(toks) and toks[i].kind == 'op' and toks[i].val == '.':
                continue
            break
        return last, toks[i:]

    def plan_exec(self, toks, req, exec_tok):
        if not toks:
            raise near(exec_tok)
        if toks[0].kind == 'ident' and toks[0].val.startswith('@') and len(toks) > 1 \
                and toks[1].kind == 'op' and toks[1].val == '=':
            return lambda: Result()        # EXEC @rc = proc ... : not modelled
        name, rest = self.proc_name(toks)
        if name is None:
            if toks[0].kind == 'op' and toks[0].val == '(':
                return lambda: Result()    # EXEC ('dynamic sql'): not modelled
            raise near(toks[0])
        if name.lower() != 'sp_helpdb':
            return lambda: Result()
        arg = self.parse_helpdb_args(rest)
        if req is not None:
            req.fault = req.fault or self.sc.answer_fault('sp_helpdb')
        return lambda: self.sp_helpdb(arg)

    def parse_helpdb_args(self, rest):
        if not rest:
            return None
        i = 0
        t = rest[0]
        if t.kind == 'ident' and t.val.startswith('@') and len(rest) > 1 \
                and rest[1].kind == 'op' and rest[1].val == '=':
            if t.val.lower() != '@dbname':
                raise SqlError(8145, 16, '%s is not a parameter for procedure sp_helpdb.' % t.val,
                               proc='sp_helpdb')
            i = 2
            if i >= len(rest):
                raise near(rest[1])
            t = rest[i]
        if t.kind in ('str', 'qid', 'num'):
            val = t.val
        elif t.kind == 'ident':
            if t.val.startswith('@'):
                raise SqlError(137, 15, 'Must declare the scalar variable "%s".' % t.val)
            val = None if t.up() in ('NULL', 'DEFAULT') else t.val
        else:
            raise near(t)
        if i + 1 < len(rest):
            nxt = rest[i + 1]
            if nxt.kind == 'op' and nxt.val == ',':
                raise SqlError(8144, 16, 'Procedure or function sp_helpdb has too many arguments.',
                               proc='sp_helpdb')
            raise near(nxt)
        return val

    # -- the list of databases, as a connection dialog asks for it -----------
    DATABASE_LIST_QUERIES = ('SELECTNAMEFROMMASTER.DBO.SYSDATABASESORDERBYNAME',
                             'SELECTNAMEFROMMASTER..SYSDATABASESORDERBYNAME',
                             'SELECTNAMEFROMSYS.DATABASESORDERBYNAME')

    def list_databases(self):
        names = {'master', 'model', 'msdb', 'tempdb'}
        names.update(db.get('name') for db in self.sc.databases)
        r = Result('select', CMD_SELECT)
        r.rs([Col('name', 'nvarchar', 128)], [[n] for n in sorted(names, key=str.lower)])
        return r

    # -- sp_helpdb ----------------------------------------------------------
    def sp_helpdb(self, dbname):
        sc = self.sc
        r = Result('proc', CMD_EXECUTE)
        empty = sc.empty_result == 'sp_helpdb'
        if dbname is None:
            rows = [] if empty else [self._db_row(db) for db in sc.databases]
            r.rs(self._db_cols(), rows)
            return r
        db = sc.find_db(dbname)
        if db is None:
            r.err(SqlError(15010, 16, "The database '%s' does not exist. Supply a valid database name. "
                           "To see available databases, use sys.databases." % dbname, proc='sp_helpdb'))
            r.retstatus = 1
            return r
        r.rs(self._db_cols(), [] if empty else [self._db_row(db)])
        if not sc.no_second_result:
            fixed = sc.file_columns == 'nchar'
            cols = [Col('name', 'nchar' if fixed else 'nvarchar', 128),
                    Col('fileid', 'smallint'),
                    Col('filename', 'nchar' if fixed else 'nvarchar', 260),
                    Col('filegroup', 'nvarchar', 128),
                    Col('size', 'nvarchar', 18),
                    Col('maxsize', 'nvarchar', 18),
                    Col('growth', 'nvarchar', 18),
                    Col('usage', 'varchar', 9)]
            rows = []
            if not (empty or sc.empty_result == 'sp_helpdb_files'):
                for f in db.get('files') or []:
                    rows.append([f.get(k) for k in ('name', 'fileid', 'filename', 'filegroup',
                                                    'size', 'maxsize', 'growth', 'usage')])
            r.rs(cols, rows)
        return r

    @staticmethod
    def _db_cols():
        return [Col('name', 'nvarchar', 128), Col('db_size', 'nvarchar', 13),
                Col('owner', 'nvarchar', 128), Col('dbid', 'smallint'),
                Col('created', 'nvarchar', 11), Col('status', 'nvarchar', 600),
                Col('compatibility_level', 'tinyint')]

    @staticmethod
    def _db_row(db):
        return [db.get(k) for k in ('name', 'db_size', 'owner', 'dbid', 'created', 'status',
                                    'compatibility_level')]

    # -- USE --------------------------------------------------------------
    def plan_use(self, toks):
        if len(toks) < 2:
            raise near(toks[0])
        if len(toks) > 2:
            raise near(toks[2])
        name = toks[1].val

        def run():
            r = Result()
            canon = self.sc.db_usable(name)
            if canon is None:
                r.err(SqlError(911, 16, "Database '%s' does not exist. Make sure that the name is "
                                        "entered correctly." % name))
                return r
            old = self.s.database
            self.s.database = canon
            r.events.append(('env', 1, canon, old))
            r.err(SqlError(5701, 0, "Changed database context to '%s'." % canon, state=1), info=True)
            return r
        return run

    # -- SELECT <list> ----------------------------------------------------
    def plan_select(self, toks, req):
        items = []
        i = 0
        if not toks:
            raise Unrecognized()
        while True:
            alias = None
            # alias = expr
            if (i + 1 < len(toks) and toks[i].kind in ('ident', 'qid', 'str')
                    and toks[i + 1].kind == 'op' and toks[i + 1].val == '='
                    and not toks[i].val.startswith('@')):
                alias = toks[i].val
                i += 2
            expr, i = self.parse_expr(toks, i)
            if alias is None and i < len(toks):
                t = toks[i]
                if t.up() == 'AS':
                    if i + 1 >= len(toks):
                        raise near(t)
                    alias = toks[i + 1].val
                    i += 2
                elif t.kind in ('qid', 'str') or (t.kind == 'ident' and t.up() not in ('FROM', 'WHERE')
                                                  and not t.val.startswith('@')):
                    alias = t.val
                    i += 1
            items.append((alias or '', expr))
            if i < len(toks) and toks[i].kind == 'op' and toks[i].val == ',':
                i += 1
                continue
            break
        if i != len(toks):
            raise Unrecognized()       # FROM, WHERE, ...: not modelled
        uses_prop = self._uses_serverproperty(toks)
        if uses_prop and self.sc.serverproperty_error:
            raise SqlError(195, 15, "'SERVERPROPERTY' is not a recognized built-in function name.")
        if uses_prop and req is not None:
            req.fault = req.fault or self.sc.answer_fault('serverproperty')
        empty = uses_prop and self.sc.empty_result == 'serverproperty'
        sc = self.sc

        def run():
            r = Result('select', CMD_SELECT)
            if uses_prop and sc.error_records and sc.error_records_on == 'serverproperty':
                for n in range(sc.error_records):
                    r.err(SqlError(50000, 16, 'Error %d of %d.' % (n + 1, sc.error_records)))
                return r
            cols, row = [], []
            try:
                for alias, expr in items:
                    v = expr()
                    col = Col(alias, v.kind, v.size)
                    value = v.v
                    if v.kind == 'variant' and value is not None and sc.value_chars:
                        value = (value * (sc.value_chars // max(1, len(value)) + 1))[:sc.value_chars]
                        if len(value) > 4000:
                            col.kind = 'ntext'
                    if v.kind == 'variant' and sc.false_variant_length:
                        col.false_length = 64
                    cols.append(col)
                    row.append(value)
            except SqlError as e:
                r.err(e)
                return r
            r.rs(cols, [] if empty else [row])
            return r
        return run

    @staticmethod
    def _uses_serverproperty(toks):
        return any(t.up() == 'SERVERPROPERTY' for t in toks)

    def parse_expr(self, toks, i):
        """Return (thunk producing Value, next index).  Raises Unrecognized."""
        if i >= len(toks):
            raise Unrecognized()
        t = toks[i]
        if t.kind == 'str':
            s = t.val
            if t.raw[:1] in 'Nn':
                return (lambda: Value('nvarchar', s, max(1, len(s)))), i + 1
            return (lambda: Value('varchar', s, max(1, len(s)))), i + 1
        if t.kind == 'num':
            if not t.val.isdigit():
                raise Unrecognized()
            n = int(t.val)
            return (lambda: Value('int', n)), i + 1
        if t.kind == 'op' and t.val == '-' and i + 1 < len(toks) and toks[i + 1].kind == 'num' \
                and toks[i + 1].val.isdigit():
            n = -int(toks[i + 1].val)
            return (lambda: Value('int', n)), i + 2
        if t.kind == 'op' and t.val == '(':
            e, j = self.parse_expr(toks, i + 1)
            if j < len(toks) and toks[j].kind == 'op' and toks[j].val == ')':
                return e, j + 1
            raise Unrecognized()
        if t.kind != 'ident':
            raise Unrecognized()
        u = t.up()
        s = self.s
        sc = self.sc
        globals_ = {
            '@@VERSION': lambda: Value('nvarchar', sc.version(), 300),
            '@@SERVERNAME': lambda: Value('nvarchar', sc.server_name, 128),
            '@@SPID': lambda: Value('smallint', s.spid),
            '@@LANGUAGE': lambda: Value('nvarchar', 'us_english', 128),
            '@@TRANCOUNT': lambda: Value('int', 0),
        }
        if u in globals_:
            return globals_[u], i + 1
        if u == 'NULL':
            return (lambda: Value('int', None)), i + 1
        if not (i + 1 < len(toks) and toks[i + 1].kind == 'op' and toks[i + 1].val == '('):
            raise Unrecognized()
        j = i + 2

        def close(j):
            if j < len(toks) and toks[j].kind == 'op' and toks[j].val == ')':
                return j + 1
            raise Unrecognized()

        if u == 'CAST':
            e, j = self.parse_expr(toks, j)
            if j >= len(toks) or toks[j].up() != 'AS':
                raise Unrecognized()
            typ, j = self.parse_type(toks, j + 1)
            return (lambda: self.convert(e(), typ)), close(j)
        if u == 'CONVERT':
            typ, j = self.parse_type(toks, j)
            if j >= len(toks) or toks[j].val != ',':
                raise Unrecognized()
            e, j = self.parse_expr(toks, j + 1)
            if j < len(toks) and toks[j].val == ',':
                _, j = self.parse_expr(toks, j + 1)
            return (lambda: self.convert(e(), typ)), close(j)
        args = []
        if not (j < len(toks) and toks[j].kind == 'op' and toks[j].val == ')'):
            while True:
                e, j = self.parse_expr(toks, j)
                args.append(e)
                if j < len(toks) and toks[j].kind == 'op' and toks[j].val == ',':
                    j += 1
                    continue
                break
        j = close(j)
        nargs = len(args)
        if u == 'SERVERPROPERTY' and nargs == 1:
            return (lambda: Value('variant', sc.prop(str(args[0]().v or '')))), j
        if u == 'DB_NAME' and nargs == 0:
            return (lambda: Value('nvarchar', s.database, 128)), j
        if u == 'DB_NAME' and nargs == 1:
            def db_name():
                v = args[0]().v
                db = sc.find_db_by_id(int(v)) if v is not None and str(v).lstrip('-').isdigit() else None
                return Value('nvarchar', None if db is None else db['name'], 128)
            return db_name, j
        if u == 'DB_ID' and nargs <= 1:
            def db_id():
                name = s.database if nargs == 0 else args[0]().v
                db = sc.find_db(str(name)) if name is not None else None
                return Value('smallint', None if db is None else db.get('dbid'))
            return db_id, j
        if u == 'ISNULL' and nargs == 2:
            def isnull():
                a = args[0]()
                return a if a.v is not None else args[1]()
            return isnull, j
        simple = {'APP_NAME': lambda: s.app_name, 'HOST_NAME': lambda: s.host_name,
                  'SUSER_NAME': lambda: s.user, 'SUSER_SNAME': lambda: s.user,
                  'USER_NAME': lambda: 'dbo'}
        if u in simple and nargs == 0:
            f = simple[u]
            return (lambda: Value('nvarchar', f(), 128)), j
        raise Unrecognized()

    @staticmethod
    def parse_type(toks, j):
        if j >= len(toks) or toks[j].kind not in ('ident', 'qid'):
            raise Unrecognized()
        name = toks[j].val.lower()
        j += 1
        size = None
        if j < len(toks) and toks[j].val == '(':
            if j + 2 < len(toks) and toks[j + 2].val == ')':
                arg = toks[j + 1].val
                size = 4000 if arg.lower() == 'max' else int(arg) if arg.isdigit() else None
                if size is None:
                    raise Unrecognized()
                j += 3
            else:
                raise Unrecognized()
        kinds = {'nvarchar': 'nvarchar', 'nchar': 'nchar', 'varchar': 'varchar', 'char': 'varchar',
                 'sysname': 'nvarchar', 'int': 'int', 'smallint': 'smallint', 'tinyint': 'tinyint',
                 'sql_variant': 'variant'}
        if name not in kinds:
            raise Unrecognized()
        if name == 'sysname':
            size = 128
        if size is None:
            size = 30 if name in ('nvarchar', 'varchar') else 1
        if kinds[name] in ('nvarchar', 'nchar'):
            size = min(size, 4000)
        return (kinds[name], size), j

    @staticmethod
    def convert(v, typ):
        kind, size = typ
        if v.v is None:
            return Value(kind, None, size)
        if kind in ('nvarchar', 'nchar', 'varchar'):
            return Value(kind, str(v.v)[:size], size)
        if kind in ('int', 'smallint', 'tinyint'):
            try:
                return Value(kind, int(str(v.v).strip()))
            except ValueError:
                raise SqlError(245, 16, "Conversion failed when converting the nvarchar value '%s' to "
                                        "data type %s." % (v.v, kind))
        if kind == 'variant':
            return Value('variant', None if v.v is None else str(v.v))
        raise Unrecognized()


# ---------------------------------------------------------------------------
# RPC decoding
# ---------------------------------------------------------------------------
FIXED_TYPES = {0x1F: 0, 0x30: 1, 0x32: 1, 0x34: 2, 0x38: 4, 0x7F: 8, 0x3B: 4, 0x3E: 8,
               0x3C: 8, 0x3A: 4, 0x3D: 8, 0x7A: 4}
BYTELEN_TYPES = {0x26, 0x68, 0x6D, 0x6E, 0x6F, 0x24}
DECIMAL_TYPES = {0x37, 0x3F, 0x6A, 0x6C}
SCALE_TYPES = {0x29, 0x2A, 0x2B}
OLD_BYTELEN_TYPES = {0x2F, 0x27, 0x2D, 0x25}
USHORT_CHAR_TYPES = {0xA7, 0xAF, 0xE7, 0xEF}
USHORT_BIN_TYPES = {0xA5, 0xAD}
LONGLEN_TYPES = {0x23, 0x63, 0x22, 0x62}


class Reader:
    def __init__(self, data, pos=0):
        self.d, self.p = data, pos

    def take(self, n):
        if self.p + n > len(self.d):
            raise ValueError('truncated request')
        b = self.d[self.p:self.p + n]
        self.p += n
        return b

    def u8(self):
        return self.take(1)[0]

    def u16(self):
        return struct.unpack('<H', self.take(2))[0]

    def u32(self):
        return struct.unpack('<I', self.take(4))[0]

    def u64(self):
        return struct.unpack('<Q', self.take(8))[0]

    def more(self):
        return self.p < len(self.d)


def read_param(rd, tds):
    """One RPC parameter -> (name, status, python value)."""
    name = rd.take(rd.u8() * 2).decode('utf-16le')
    status = rd.u8()
    t = rd.u8()
    if t in FIXED_TYPES:
        raw = rd.take(FIXED_TYPES[t])
        return name, status, decode_scalar(t, raw)
    if t in BYTELEN_TYPES or t in OLD_BYTELEN_TYPES:
        rd.u8()
        n = rd.u8()
        raw = rd.take(n)
        if n == 0 and t not in OLD_BYTELEN_TYPES:
            return name, status, None
        return name, status, decode_scalar(t, raw)
    if t in DECIMAL_TYPES:
        rd.take(3)
        n = rd.u8()
        raw = rd.take(n)
        if n == 0:
            return name, status, None
        sign, mag = raw[0], int.from_bytes(raw[1:], 'little')
        return name, status, mag if sign else -mag
    if t == 0x28 or t in SCALE_TYPES:
        if t in SCALE_TYPES:
            rd.u8()
        n = rd.u8()
        raw = rd.take(n)
        return name, status, (None if n == 0 else raw)
    if t in USHORT_CHAR_TYPES or t in USHORT_BIN_TYPES:
        maxlen = rd.u16()
        if t in USHORT_CHAR_TYPES and tds >= 0x71:
            rd.take(5)
        if maxlen == 0xFFFF:
            raw = read_plp(rd)
        else:
            n = rd.u16()
            raw = None if n == 0xFFFF else rd.take(n)
        return name, status, decode_string(t, raw)
    if t in LONGLEN_TYPES:
        rd.u32()
        if t in (0x23, 0x63) and tds >= 0x71:
            rd.take(5)
        n = rd.u32()
        raw = None if n == 0xFFFFFFFF else rd.take(n)
        if t == 0x62:
            if not raw:
                return name, status, None
            base, nprop = raw[0], raw[1]
            return name, status, decode_string(base, raw[2 + nprop:]) if base in USHORT_CHAR_TYPES \
                else raw[2 + nprop:]
        return name, status, decode_string({0x23: 0xA7, 0x63: 0xE7, 0x22: 0xA5}[t], raw)
    raise ValueError('parameter type 0x%02X not supported' % t)


def read_plp(rd):
    total = rd.u64()
    if total == 0xFFFFFFFFFFFFFFFF:
        return None
    parts = []
    while True:
        n = rd.u32()
        if n == 0:
            break
        parts.append(rd.take(n))
    return b''.join(parts)


def decode_scalar(t, raw):
    if t in (0x30, 0x32, 0x34, 0x38, 0x7F, 0x26, 0x68):
        return int.from_bytes(raw, 'little', signed=(t not in (0x30, 0x32, 0x68) and len(raw) > 1))
    if t in (0x3B, 0x3E, 0x6D):
        return struct.unpack('<f' if len(raw) == 4 else '<d', raw)[0]
    if t in (0x2F, 0x27):
        return raw.decode('cp1252', 'replace')
    return bytes(raw)


def decode_string(t, raw):
    if raw is None:
        return None
    if t in (0xE7, 0xEF):
        return raw.decode('utf-16le', 'replace')
    if t in (0xA7, 0xAF):
        return raw.decode('cp1252', 'replace')
    return bytes(raw)


def sql_literal(v):
    if v is None:
        return 'NULL'
    if isinstance(v, bool):
        return '1' if v else '0'
    if isinstance(v, (int, float)):
        return repr(v)
    if isinstance(v, bytes):
        return '0x' + v.hex()
    return "N'" + str(v).replace("'", "''") + "'"


def decl_names(decl):
    names = []
    try:
        toks = tokenize(decl or '')
    except SqlError:
        return names
    depth, want = 0, True
    for t in toks:
        if t.kind == 'op' and t.val == '(':
            depth += 1
        elif t.kind == 'op' and t.val == ')':
            depth -= 1
        elif t.kind == 'op' and t.val == ',' and depth == 0:
            want = True
        elif want and t.kind == 'ident' and t.val.startswith('@'):
            names.append(t.val)
            want = False
    return names


def substitute(sql, params):
    """Put parameter values into the statement text as literals."""
    if not params:
        return sql
    lookup = {k.lower(): v for k, v in params.items()}
    try:
        toks = tokenize(sql)
    except SqlError:
        return sql
    out, pos = [], 0
    for t in toks:
        if t.kind == 'ident' and t.val.lower() in lookup:
            out.append(sql[pos:t.start])
            out.append(sql_literal(lookup[t.val.lower()]))
            pos = t.end
    out.append(sql[pos:])
    return ''.join(out)


# ---------------------------------------------------------------------------
# Connection
# ---------------------------------------------------------------------------
class Closed(Exception):
    pass


class Session:
    _spid_lock = threading.Lock()
    _next_spid = 51

    def __init__(self, server, sock):
        self.server = server
        self.sc = server.sc
        self.sock = sock
        self.tds = 0x74
        self.tds_word = 0x74000004
        self.packet_size = 4096
        self.user = ''
        self.app_name = ''
        self.host_name = ''
        self.database = self.sc.default_database
        self.logged_in = False
        self.prepared = {}
        self.next_handle = 1
        self.pending = []
        with Session._spid_lock:
            self.spid = Session._next_spid
            Session._next_spid += 1

    # -- packets ----------------------------------------------------------
    def recv_exact(self, n):
        buf = bytearray()
        while len(buf) < n:
            try:
                chunk = self.sock.recv(n - len(buf))
            except OSError:
                chunk = b''
            if not chunk:
                raise Closed()
            buf += chunk
        return bytes(buf)

    def read_message(self):
        """-> (type, status of last packet, payload)."""
        if self.pending:
            return self.pending.pop(0)
        payload = bytearray()
        while True:
            hdr = self.recv_exact(8)
            typ, status, length = hdr[0], hdr[1], struct.unpack('>H', hdr[2:4])[0]
            if length < 8:
                raise Closed()
            payload += self.recv_exact(length - 8)
            if len(payload) > MAX_MESSAGE:
                raise Closed()
            if status & ST_EOM:
                return typ, status, bytes(payload)

    def packets(self, data, typ=PKT_REPLY, size=None):
        size = size or self.packet_size
        chunk = size - 8
        view = memoryview(data)
        count = max(1, -(-len(data) // chunk))
        for n in range(count):
            p = view[n * chunk:(n + 1) * chunk]
            yield struct.pack('>BBHHBB', typ, ST_EOM if n == count - 1 else 0, len(p) + 8,
                              self.spid, (n + 1) & 0xFF, 0) + p

    def send(self, data, fault=None):
        """fault (Scenario.answer_fault): 'close' or 'half' send the first part
        of the answer in a non-final packet, then close the socket or fall
        silent; 'drip' sends it one byte every drip_ms."""
        if fault in ('close', 'half'):
            part = data[:max(1, len(data) // 2)][:self.packet_size - 8]
            self.sock.sendall(struct.pack('>BBHHBB', PKT_REPLY, 0, len(part) + 8, self.spid, 1, 0) + part)
            if fault == 'half':
                self.stall()
            raise Closed()
        for p in self.packets(data):
            if fault == 'drip':
                for byte in p:
                    self.sock.sendall(bytes([byte]))
                    if self.server.stopping.wait(self.sc.drip_ms / 1000.0):
                        raise Closed()
            else:
                self.sock.sendall(p)

    def send_done(self, status):
        w = Writer(self.tds)
        w.done(TOK_DONE, status, 0, 0)
        self.send(bytes(w.b))

    def wait(self, ms):
        """Sleep ms; True if an ATTENTION arrived meanwhile (already answered)."""
        deadline = time.monotonic() + ms / 1000.0
        while True:
            left = deadline - time.monotonic()
            if left <= 0:
                return False
            r, _, _ = select.select([self.sock], [], [], min(left, 0.5))
            if self.server.stopping.is_set():
                raise Closed()
            if r:
                msg = self.read_message()
                if msg[0] == PKT_ATTENTION:
                    self.send_done(DONE_ATTN)
                    return True
                self.pending.append(msg)

    # -- main loop ---------------------------------------------------------
    def run(self):
        try:
            if self.sc.stall:
                self.stall()
                return
            while not self.server.stopping.is_set():
                typ, status, payload = self.read_message()
                if status & ST_IGNORE:
                    self.send_done(DONE_ERROR)
                    continue
                if typ == PKT_PRELOGIN and not self.logged_in:
                    if self.sc.refuse_mars_prelogin and PRELOGIN_MARS in prelogin_options(payload):
                        self.server.emit('PRELOGIN REFUSED')
                        return
                    self.prelogin(payload)
                elif typ == PKT_LOGIN7 and not self.logged_in:
                    if not self.login(payload):
                        return
                elif typ == PKT_ATTENTION:
                    self.send_done(DONE_ATTN)
                elif not self.logged_in:
                    warn('packet type 0x%02X before login; closing' % typ)
                    return
                elif typ == PKT_SQL_BATCH:
                    self.batch(payload)
                elif typ == PKT_RPC:
                    self.rpc(payload)
                elif typ == PKT_TRANS_MGR:
                    self.send_done(DONE_FINAL)
                else:
                    warn('unsupported packet type 0x%02X' % typ)
                    self.send_done(DONE_ERROR)
        except Closed:
            pass
        except Exception as e:      # keep serving other connections
            warn('connection error: %r' % (e,))
        finally:
            try:
                self.sock.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
            self.sock.close()
            self.server.emit('CLOSE')

    def stall(self):
        while not self.server.stopping.is_set():
            r, _, _ = select.select([self.sock], [], [], 0.5)
            if r:
                try:
                    if not self.sock.recv(65536):
                        return
                except OSError:
                    return

    # -- PRELOGIN ----------------------------------------------------------
    def prelogin(self, payload):
        major, minor, build = self.sc.version_tuple()
        opts = [(0x00, struct.pack('>BBHH', major, minor, build, 0)),
                (0x01, b'\x02'),          # ENCRYPT_NOT_SUP
                (0x02, b'\x00'),          # instance name accepted
                (0x03, b''),
                (0x04, b'\x00')]          # no MARS
        off = len(opts) * 5 + 1
        head, body = bytearray(), bytearray()
        for tok, data in opts:
            head += struct.pack('>BHH', tok, off + len(body), len(data))
            body += data
        head += b'\xff'
        self.send(bytes(head + body))

    # -- LOGIN7 ------------------------------------------------------------
    def login(self, p):
        if len(p) < 94:
            raise Closed()
        client_ver, req_packet = struct.unpack('<II', p[4:12])

        def field(idx, password=False):
            off, n = struct.unpack('<HH', p[36 + idx * 4:40 + idx * 4])
            raw = bytearray(p[off:off + n * 2])
            if password:
                for i, b in enumerate(raw):
                    b ^= 0xA5
                    raw[i] = ((b & 0x0F) << 4) | (b >> 4)
            return bytes(raw).decode('utf-16le', 'replace')

        self.host_name = field(0)
        user = field(1)
        password = field(2, password=True)
        self.app_name = field(3)
        database = field(8)
        major = client_ver >> 24
        if major >= 0x74:
            self.tds, self.tds_word = 0x74, 0x74000004
        elif major == 0x73:
            self.tds, self.tds_word = 0x73, client_ver
        elif major == 0x72:
            self.tds, self.tds_word = 0x72, 0x72090002
        elif major == 0x71 or client_ver == 0x07010000:
            self.tds, self.tds_word = 0x71, 0x71000001
        else:
            warn('client asked for TDS version 0x%08X, which is not served' % client_ver)
            raise Closed()

        sc = self.sc
        if sc.login_delay_ms and self.server.stopping.wait(sc.login_delay_ms / 1000.0):
            raise Closed()
        w = Writer(self.tds)
        login = next((lg for lg in sc.logins if lg['user'].lower() == user.lower()), None)
        refused = login is None or login['password'] != password
        canon = None
        if not refused:
            wanted = database or login.get('default_database') or sc.default_database
            canon = sc.db_usable(wanted)
            if canon is None:
                w.message(4060, 1, 11, 'Cannot open database "%s" requested by the login. The login failed.'
                          % wanted, sc.server_name)
                refused = True
        if sc.error_records and sc.error_records_on == 'login':
            for n in range(sc.error_records):
                w.message(50000, 1, 16, 'Error %d of %d.' % (n + 1, sc.error_records), sc.server_name)
            refused = True
        if refused:
            w.message(18456, 1, 14, "Login failed for user '%s'." % user, sc.server_name)
            w.done(TOK_DONE, DONE_ERROR, 0, 0)
            self.server.emit('LOGIN REFUSED user=%s' % user)
            try:
                self.send(bytes(w.b), sc.answer_fault('login'))
            except Closed:
                pass
            return False

        size = req_packet if 512 <= req_packet <= 32767 else 4096
        if sc.packet_cap:
            size = min(size, sc.packet_cap)
        self.user = login['user']
        self.database = canon
        w.envchange(1, canon, 'master')
        w.message(5701, 2, 0, "Changed database context to '%s'." % canon, sc.server_name, info=True)
        w.envchange_collation()
        w.envchange(2, 'us_english', '')
        w.message(5703, 1, 0, 'Changed language setting to us_english.', sc.server_name, info=True)
        w.loginack(self.tds_word, sc.version_tuple())
        w.envchange(4, str(size), str(self.packet_size))
        w.done(TOK_DONE, DONE_FINAL, 0, 0)
        self.server.emit('LOGIN OK user=%s database=%s' % (user, canon))
        self.send(bytes(w.b), sc.answer_fault('login'))
        self.packet_size = size
        self.logged_in = True
        if sc.stall_after_login:
            self.stall()
            return False
        return True

    # -- requests ----------------------------------------------------------
    def skip_all_headers(self, payload):
        if self.tds >= 0x72 and len(payload) >= 4:
            total = struct.unpack('<I', payload[:4])[0]
            if 4 <= total <= len(payload):
                return total
        return 0

    def batch(self, payload):
        off = self.skip_all_headers(payload)
        sql = payload[off:].decode('utf-16le', 'replace')
        self.server.emit('BATCH ' + log_text(sql))
        req = Request()
        results = Engine(self).run_sql(sql, req)
        if self.sc.delay_ms and self.wait(self.sc.delay_ms):
            return
        w = Writer(self.tds)
        write_results(w, results, self.sc.server_name)
        self.send(bytes(w.b), req.fault)

    def rpc(self, payload):
        rd = Reader(payload, self.skip_all_headers(payload))
        calls = []
        try:
            while rd.more():
                n = rd.u16()
                name = PROC_IDS.get(rd.u16(), 'proc#?') if n == 0xFFFF else rd.take(n * 2).decode('utf-16le')
                rd.u16()                                   # option flags
                params = []
                while rd.more() and rd.d[rd.p] not in (0x80, 0xFF, 0xFE):
                    params.append(read_param(rd, self.tds))
                if rd.more():
                    rd.u8()                                # batch separator
                calls.append((name, params))
        except ValueError as e:
            warn('RPC not understood: %s' % e)
            self.server.emit('RPC ' + (calls[-1][0] if calls else '?'))
            w = Writer(self.tds)
            w.message(8009, 1, 16, 'The incoming tabular data stream (TDS) remote procedure call (RPC) '
                      'protocol stream is incorrect. %s' % e, self.sc.server_name)
            w.done(TOK_DONE, DONE_ERROR, 0, 0)
            self.send(bytes(w.b))
            return
        req = Request()
        results = []
        for name, params in calls:
            self.server.emit('RPC ' + name)
            results.append(self.run_rpc(name, params, req))
        if self.sc.delay_ms and self.wait(self.sc.delay_ms):
            return
        w = Writer(self.tds)
        write_results(w, results, self.sc.server_name)
        self.send(bytes(w.b), req.fault)

    def run_rpc(self, name, params, req):
        eng = Engine(self)
        short = name.split('.')[-1].strip('[]').lower()
        r = Result('proc', CMD_EXECUTE)
        values = [v for _, _, v in params]

        def run_inner(sql, decl, vals_params):
            names = decl_names(decl)
            bound = {}
            for k, (pname, _, v) in enumerate(vals_params):
                key = pname or (names[k] if k < len(names) else None)
                if key:
                    bound[key] = v
            r.inner = eng.run_sql(substitute(sql or '', bound), req)
            if any(x.error for x in r.inner):
                r.error = True

        if short == 'sp_executesql':
            run_inner(values[0] if values else '', values[1] if len(values) > 1 else '', params[2:])
        elif short in ('sp_prepexec', 'sp_prepare'):
            if len(params) < 3:
                r.err(SqlError(201, 16, "Procedure or function '%s' expects parameter which was not "
                                        "supplied." % short, proc=short))
                return r
            handle = self.next_handle
            self.next_handle += 1
            self.prepared[handle] = (values[1], values[2])
            if short == 'sp_prepexec':
                run_inner(values[2], values[1], params[3:])
            r.returnvalues.append((0, params[0][0], Col('', 'int'), handle))
        elif short == 'sp_execute':
            handle = values[0] if values else None
            if handle not in self.prepared:
                r.err(SqlError(8179, 16, 'Could not find prepared statement with handle %s.' % handle))
                return r
            decl, sql = self.prepared[handle]
            run_inner(sql, decl, params[1:])
        elif short == 'sp_unprepare':
            self.prepared.pop(values[0] if values else None, None)
        elif short == 'sp_helpdb':
            req.fault = req.fault or self.sc.answer_fault('sp_helpdb')
            if len(params) > 1:
                r.err(SqlError(8144, 16, 'Procedure or function sp_helpdb has too many arguments.',
                               proc='sp_helpdb'))
                return r
            pname = params[0][0] if params else ''
            if pname and pname.lower() != '@dbname' and not re.match(r'@P\d+$', pname, re.I):
                r.err(SqlError(8145, 16, '%s is not a parameter for procedure sp_helpdb.' % pname,
                               proc='sp_helpdb'))
                return r
            arg = values[0] if values else None
            return eng.sp_helpdb(None if arg is None else str(arg))
        return r


# ---------------------------------------------------------------------------
# Server
# ---------------------------------------------------------------------------
def bind_sockets(sc, port):
    """The listening TCP socket and, for a scenario with a Browser, the UDP
    socket on port 1434 of the same address.  With the address "own", a
    127.0.0.N where both are free."""
    own = sc.address == 'own'
    for _ in range(64 if own else 1):
        address = '127.0.0.%d' % random.randint(2, 254) if own else sc.address
        tcp = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        tcp.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        udp = None
        try:
            tcp.bind((address, port))
            if sc.browser_instances is not None:
                # No SO_REUSEADDR: a second Browser on the address must fail to bind,
                # not share the questions.
                udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
                udp.bind((address, 1434))
            return tcp, udp
        except OSError as e:
            tcp.close()
            if udp is not None:
                udp.close()
            if not own or e.errno != errno.EADDRINUSE:
                raise
    raise OSError(errno.EADDRINUSE, 'no loopback address 127.0.0.N has the ports free')


class Server:
    def __init__(self, sc, port, emit=emit):
        self.sc = sc
        self.emit = emit
        self.stopping = threading.Event()
        self.lsock, self.browser_sock = bind_sockets(sc, port)
        self.lsock.listen(64)
        self.lsock.settimeout(0.2)
        self.threads = []
        self.socks = set()
        self.lock = threading.Lock()
        if self.browser_sock is not None:
            threading.Thread(target=self.serve_browser, daemon=True).start()

    @property
    def port(self):
        return self.lsock.getsockname()[1]

    @property
    def address(self):
        return self.lsock.getsockname()[0]

    def serve_browser(self):
        sock = self.browser_sock
        sock.settimeout(0.2)
        while not self.stopping.is_set():
            try:
                question, client = sock.recvfrom(65536)
            except socket.timeout:
                continue
            except OSError:
                break
            answer = self.browser_answer(question)
            if answer is not None and not self.sc.browser_silent:
                if self.sc.browser_noise_first:
                    # Empty, then a last field without its ";".
                    sock.sendto(b'', client)
                    sock.sendto(b'\x05\x03\x00abc', client)
                if self.sc.browser_delay:
                    threading.Timer(self.sc.browser_delay, self.send_late,
                                    (sock, answer, client)).start()
                else:
                    sock.sendto(answer, client)
        sock.close()

    @staticmethod
    def send_late(sock, answer, client):
        try:
            sock.sendto(answer, client)
        except OSError:
            pass

    def browser_answer(self, question):
        """MC-SQLR: CLNT_UCAST_INST (0x04, the name, a zero byte) is answered
        for a known instance only; CLNT_UCAST_EX and CLNT_BCAST_EX (0x03,
        0x02) with every instance."""
        if question[:1] == b'\x04':
            name = question[1:].split(b'\x00', 1)[0].decode('cp1252', 'replace')
            self.emit('BROWSER INSTANCE %s' % name)
            names = [n for n in self.sc.browser_instances if n.lower() == name.lower()]
        elif question[:1] in (b'\x02', b'\x03'):
            self.emit('BROWSER LIST')
            names = self.sc.browser_instances
        else:
            return None
        if not names:
            return None
        tcp = str(self.port) if self.sc.browser_tcp is None else str(self.sc.browser_tcp)
        data = ''.join('ServerName;%s;InstanceName;%s;IsClustered;No;Version;%s;tcp;%s;;'
                       % (self.sc.server_name, n, self.sc.prop('productversion') or '10.50.4000.0',
                          tcp) for n in names).encode('cp1252', 'replace')
        return b'\x05' + struct.pack('<H', len(data)) + data

    def serve(self):
        while not self.stopping.is_set():
            try:
                conn, _ = self.lsock.accept()
            except socket.timeout:
                continue
            except OSError:
                break
            conn.settimeout(None)
            conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
            sess = Session(self, conn)
            t = threading.Thread(target=self._run, args=(sess,), daemon=True)
            with self.lock:
                self.socks.add(conn)
                self.threads = [x for x in self.threads if x.is_alive()] + [t]
            t.start()
        self.lsock.close()
        with self.lock:
            socks, threads = list(self.socks), list(self.threads)
        for s in socks:
            try:
                s.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
        deadline = time.monotonic() + 3.0
        for t in threads:
            t.join(timeout=max(0.0, deadline - time.monotonic()))
        if self.browser_sock is not None:
            self.browser_sock.close()

    def _run(self, sess):
        try:
            sess.run()
        finally:
            with self.lock:
                self.socks.discard(sess.sock)


# ---------------------------------------------------------------------------
# Control mode: scenarios on demand, for test programs that cannot start this
# script themselves (the Windows build under Wine)
# ---------------------------------------------------------------------------
def read_control_request(conn):
    """'<length>\\n' and that many bytes of scenario JSON -> the scenario."""
    header = b''
    while not header.endswith(b'\n'):
        byte = conn.recv(1)
        if not byte or len(header) > 12:
            raise ValueError('no length line')
        header += byte
    length = int(header)
    data = bytearray()
    while len(data) < length:
        chunk = conn.recv(min(65536, length - len(data)))
        if not chunk:
            raise ValueError('scenario cut short')
        data += chunk
    return Scenario(json.loads(data.decode('utf-8')))


def run_control_session(conn):
    """One scenario: its port and then its events go back on the control
    connection; the client's end of sending stops it, then the connection is
    closed, so that the client knows the scenario's port is free again."""
    lock = threading.Lock()

    def send_line(line):
        with lock:
            try:
                conn.sendall((line + '\n').encode('utf-8', 'backslashreplace'))
            except OSError:
                pass                  # the client has gone; its end stops the scenario
    try:
        sc = read_control_request(conn)
        server = Server(sc, sc.port, send_line)
    except OSError as e:
        send_line('ERROR cannot listen: %s' % e)
        conn.close()
        return
    except (ValueError, KeyError, TypeError) as e:
        send_line('ERROR bad scenario: %s' % e)
        conn.close()
        return
    send_line('PORT %d %s' % (server.port, server.address))
    serving = threading.Thread(target=server.serve, daemon=True)
    serving.start()
    try:
        while conn.recv(4096):
            pass
    except OSError:
        pass
    server.stopping.set()
    serving.join()
    conn.close()


def serve_control(port, stopping):
    lsock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    lsock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    lsock.bind(('127.0.0.1', port))
    lsock.listen(16)
    lsock.settimeout(0.2)
    emit('PORT %d %s' % lsock.getsockname()[::-1])
    while not stopping.is_set():
        try:
            conn, _ = lsock.accept()
        except socket.timeout:
            continue
        conn.settimeout(None)
        threading.Thread(target=run_control_session, args=(conn,), daemon=True).start()
    lsock.close()


def stop_with_parent(parent, stopping):
    """Ends the server with the process that started it, `parent`, however that ends: a test
    killed midway, or the script of the Windows stage, leaves no server behind. The server is
    then handed to another parent (init, or a subreaper)."""
    while not stopping.wait(0.25):
        if os.getppid() != parent:
            stopping.set()


def main(argv=None):
    ap = argparse.ArgumentParser(description='TDS test server for Kestrel (loopback only).')
    mode = ap.add_mutually_exclusive_group(required=True)
    mode.add_argument('--scenario', help='scenario JSON file, or - for stdin')
    mode.add_argument('--control', action='store_true',
                      help='serve scenarios that clients send to a control port')
    ap.add_argument('--port', type=int, default=None,
                    help='port (default: scenario "port", or free); with --control the control port')
    args = ap.parse_args(argv)
    # Before the first line goes out: the parent may end as soon as it has read it.
    parent = os.getppid()
    try:
        sys.stdout.reconfigure(encoding='utf-8', errors='backslashreplace')
    except AttributeError:
        pass
    if args.control:
        stopping = threading.Event()

        def run():
            serve_control(args.port or 0, stopping)
    else:
        try:
            if args.scenario == '-':
                data = json.load(sys.stdin)
            else:
                with open(args.scenario, encoding='utf-8') as fh:
                    data = json.load(fh)
            sc = Scenario(data)
        except (OSError, ValueError, KeyError, TypeError) as e:
            sys.stderr.write('tds_test_server: bad scenario: %s\n' % e)
            return 2
        try:
            server = Server(sc, args.port if args.port is not None else sc.port)
        except OSError as e:
            emit('ERROR cannot listen: %s' % e)
            return 2
        stopping = server.stopping
        emit('PORT %d %s' % (server.port, server.address))
        run = server.serve

    def stop(signum, frame):
        stopping.set()
    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    threading.Thread(target=stop_with_parent, args=(parent, stopping), daemon=True).start()
    run()
    return 0


if __name__ == '__main__':
    sys.exit(main())
