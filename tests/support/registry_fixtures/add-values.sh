#!/bin/sh
# Writes, with Wine's "reg add", the Quintara settings and values of every shape the registry reader
# must cope with into the Wine prefix $WINEPREFIX. make-fixtures.sh keeps what Wine saved of them
# as the test files; scripts/test-windows.sh writes them afresh for the tests that run under Wine.
# Run it with a wineserver running (wineserver -p), or each "reg add" starts its own.
set -eu
. "$(dirname "$0")/../../../scripts/wine-env.sh"
# Wine reads the command line in the locale's character set.
export LC_ALL=C.UTF-8

# "wine reg" is the 32-bit reg.exe where Wine has its 32-bit part, the 64-bit one elsewhere, and each
# writes its own view by default: a value names its view, the 64-bit one where no other is said.
add() {
    case " $* " in
        *" /reg:32 "* | *" /reg:64 "*) "$KESTREL_WINE" reg add "$@" /f >/dev/null ;;
        *) "$KESTREL_WINE" reg add "$@" /reg:64 /f >/dev/null ;;
    esac
}

# Quintara is a 32-bit program: on 64-bit Windows its settings land in the 32-bit view.
quintara='HKLM\Software\Norvik\Database'
add "$quintara" /v GerenciadorBancoDados /t REG_SZ /d SQLServer2000 /reg:32
add "$quintara" /v Servidor /t REG_SZ /d 'srv-quintara.norvik.local' /reg:32
add "$quintara" /v BancoBados /t REG_SZ /d Quintara /reg:32
add "$quintara" /v NameUser /t REG_SZ /d suporte /reg:32
add "$quintara" /v Password /t REG_SZ /d 'fixture-only' /reg:32
add "$quintara" /v UsarSSI /t REG_DWORD /d 1 /reg:32

# Keys in the 32-bit view, the 64-bit view or both, to show which one a read takes.
views='HKLM\Software\Norvik\Kestrel Views'
add "$views\Both" /v Vista /t REG_SZ /d '32 bits' /reg:32
add "$views\Both" /v Vista /t REG_SZ /d '64 bits' /reg:64
add "$views\Both" /v Somente64 /t REG_SZ /d '64 bits' /reg:64
add "$views\Only32" /v Vista /t REG_SZ /d '32 bits' /reg:32
add "$views\Only64" /v Vista /t REG_SZ /d '64 bits' /reg:64

# 254 characters fit the reader's 255-byte buffer with their terminating zero; 255 do not.
chars254=$(printf '%0254d' 0 | tr 0 x)
values='HKLM\Software\Norvik\Kestrel Values'
add "$values" /v Blanks /t REG_SZ /d '  Quintara Server  '
add "$values" /v OnlyBlanks /t REG_SZ /d '     '
add "$values" /v Empty /t REG_SZ /d ''
add "$values" /v Chars254 /t REG_SZ /d "$chars254"
add "$values" /v Chars255 /t REG_SZ /d "${chars254}y"
add "$values" /v Multi /t REG_MULTI_SZ /d 'primeiro\0segundo'
add "$values" /v Dword1 /t REG_DWORD /d 1
add "$values" /v DwordHex /t REG_DWORD /d 0x12345678
add "$values" /v Expand /t REG_EXPAND_SZ /d '%SystemRoot%\system32'
add "$values" /v Accented /t REG_SZ /d 'São João, café, ação'
add "$values" /v Euro /t REG_SZ /d '€ 10'
add "$values" /v Greek /t REG_SZ /d 'Ελλάδα'
add "$values" /v Escapes /t REG_SZ /d 'C:\Dados\"quintara"'
add "$values" /v Tab /t REG_SZ /d "$(printf '\tcom tab\t')"
add "$values" /v Binary /t REG_BINARY /d 48656c6c6f00ff
add "$values" /v LongBinary /t REG_BINARY /d "$(printf '41%.0s' $(seq 1 60))00"
add "$values" /v Qword /t REG_QWORD /d 0x4142434445464748
add "$values" /v 'Descrição' /t REG_SZ /d 'valor com nome acentuado'
add "$values" /ve /t REG_SZ /d 'Padrão'

add 'HKCU\Software\Norvik\Kestrel' /v Tecnico /t REG_SZ /d 'técnico de suporte'
