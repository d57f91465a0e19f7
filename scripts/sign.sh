#!/bin/bash
# Signs Windows executables in place (Authenticode, SHA-256) with osslsigncode, so that Windows shows
# the maker instead of warning about an unknown program:
#
#   QUORVEX_SIGN_CERT=<certificate.pfx> QUORVEX_SIGN_PASSWORD=<its password> \
#   QUORVEX_SIGN_TIMESTAMP=<URL of an RFC 3161 timestamp server> scripts/sign.sh FILE...
#
# The build runs it for Quorvex.exe, the uninstaller and the setup when configured with
# -DQUORVEX_SIGN=ON. Without a timestamp a signature ends with its certificate, so a release
# names a timestamp server; a check that cannot reach one may go without and is told so.
set -euo pipefail
cert="${QUORVEX_SIGN_CERT:?QUORVEX_SIGN_CERT must name the PKCS#12 file of the signing certificate}"
[ -r "$cert" ] || { echo "sign.sh: cannot read the certificate $cert" >&2; exit 1; }
[ -n "${QUORVEX_SIGN_PASSWORD+set}" ] || { echo "sign.sh: QUORVEX_SIGN_PASSWORD must hold the certificate's password" >&2; exit 1; }
[ $# -gt 0 ] || { echo "usage: sign.sh FILE..." >&2; exit 2; }
timestamp=()
if [ -n "${QUORVEX_SIGN_TIMESTAMP:-}" ]; then
    timestamp=(-ts "$QUORVEX_SIGN_TIMESTAMP")
else
    echo "sign.sh: no QUORVEX_SIGN_TIMESTAMP: the signatures are not timestamped" >&2
fi
for file in "$@"; do
    signed="$file.signing"
    # The password through a pipe, not on a command line that every user of the machine may read.
    if ! osslsigncode sign -pkcs12 "$cert" -readpass <(printf '%s' "$QUORVEX_SIGN_PASSWORD") -h sha256 \
            -n "Clipboard Quorvex" "${timestamp[@]}" -in "$file" -out "$signed" >/dev/null; then
        rm -f "$signed"
        echo "sign.sh: could not sign $file" >&2
        exit 1
    fi
    mv -f "$signed" "$file"
done
