#!/bin/sh
# Builds the Windows Installer package of a release program:
#   build-package.sh <vigilor.exe> <version> <icon.ico> <package.msi>
# The version is the program file's own. With a code-signing certificate in
# the environment, the program (a copy, in <package>.files/, is what the
# package holds) and then the package are signed:
#   VIGILOR_SIGN_PFX        the certificate with its key, a PKCS#12 (.pfx) file
#   VIGILOR_SIGN_PASSWORD   its password
#   VIGILOR_SIGN_TIMESTAMP  an RFC 3161 time-stamp server's address (optional),
#                           so that the signatures stay valid after the
#                           certificate expires
# The package is finished under another name and checked before it takes
# its own, so that a failed step leaves no package.
set -eu
absolute() { mkdir -p "$(dirname "$1")" && echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
program=$1
version=$2
icon=$(absolute "$3")
msi=$(absolute "$4")
here=$(cd "$(dirname "$0")" && pwd)
files=${msi%.msi}.files
part=$msi.part
secrets=$(mktemp -d)
trap 'rm -rf "$secrets" "$part"' EXIT
rm -rf "$files" "$msi"
mkdir -p "$files"

sign() { # file
    [ -n "${VIGILOR_SIGN_PFX:-}" ] || return 0
    timestamp=
    [ -z "${VIGILOR_SIGN_TIMESTAMP:-}" ] || timestamp="-ts $VIGILOR_SIGN_TIMESTAMP"
    # The password goes by a file only this user reads, not on the command line.
    (umask 077 && printf '%s' "${VIGILOR_SIGN_PASSWORD:-}" > "$secrets/password")
    # shellcheck disable=SC2086 # the time-stamp option is two words or none
    osslsigncode sign -pkcs12 "$VIGILOR_SIGN_PFX" -readpass "$secrets/password" -h sha256 \
        -n Vigilor -i https://vigilor.example.org/ $timestamp -in "$1" -out "$1.signed" >/dev/null
    mv "$1.signed" "$1"
}

cp "$program" "$files/vigilor.exe"
cp "$icon" "$files/vigilor.ico"
sign "$files/vigilor.exe"
# wixl takes the files' paths relative to where it runs.
(cd "$files" && wixl -a x64 -D Version="$version" -D ProgramFile=vigilor.exe -D IconFile=vigilor.ico \
    -o "$part" "$here/vigilor.wxs")
sh "$here/edit-package.sh" "$part" "$version"
sh "$here/check-package.sh" "$part" "$version"
sign "$part"
mv "$part" "$msi"
