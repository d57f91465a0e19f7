#!/bin/bash
# Checks the release's signing step with a certificate made for this run and thrown away with it:
# Quorvex.exe and a setup made from it are signed as a build with -DQUORVEX_SIGN=ON signs them, the
# setup installs into a temporary folder under Wine (the build's prefix, scripts/wine-env.sh), and
# osslsigncode finds a valid signature by that certificate on the setup and on the Quorvex.exe and
# the uninstaller it installed, and none on Quorvex.exe before it was signed.
#   check-signing.sh <installation folder> <makensis> <Setup.nsi> [<makensis definition>...]
set -euo pipefail
dist=$1 makensis=$2 script=$3
shift 3
root="$(cd "$(dirname "$0")/.." && pwd)"
work="$(mktemp -d)"
installed="$work/installed"
windows_path() { local path="Z:$1"; echo "${path//\//\\}"; }
# The installation goes again, with its uninstall entry and shortcuts in the prefix; the key too.
cleanup() {
    if [ -e "$installed/uninstall.exe" ]; then
        "$root/cmake/wine-run.sh" "$installed/uninstall.exe" /S "_?=$(windows_path "$installed")" || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

password="$(openssl rand -hex 16)"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Clipboard Quorvex signing check" \
    -addext "extendedKeyUsage=codeSigning" -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/cert.pfx" -passout "pass:$password"
export QUORVEX_SIGN_CERT="$work/cert.pfx" QUORVEX_SIGN_PASSWORD="$password"
# No timestamp server is reachable from every machine that runs the tests.
unset QUORVEX_SIGN_TIMESTAMP

verified() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >"$work/verify.txt" 2>&1; }

cp -r "$dist" "$work/dist"
if verified "$work/dist/Quorvex.exe"; then
    echo "Quorvex.exe carried the throwaway certificate's signature before it was signed" >&2
    exit 1
fi
"$root/scripts/sign.sh" "$work/dist/Quorvex.exe"
setup="$work/Quorvex-signed-setup.exe"
"$makensis" -V1 "$@" "-DDIST=$work/dist" "-DOUTFILE=$setup" "-DSIGN=$root/scripts/sign.sh" "$script"
"$root/cmake/wine-run.sh" "$setup" /S "/D=$(windows_path "$installed")"

for file in "$setup" "$installed/Quorvex.exe" "$installed/uninstall.exe"; do
    if ! verified "$file"; then
        echo "No valid signature on $file:" >&2
        cat "$work/verify.txt" >&2
        exit 1
    fi
    echo "Signed: $(basename "$file")"
done
