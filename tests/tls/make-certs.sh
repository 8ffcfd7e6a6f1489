#!/bin/sh
# Makes the TLS tests' certificates in FOLDER (once): a test authority
# ("ca", which the tests trust), a second one they never trust ("rogue"), an
# intermediate one signed by ca ("mid"), and server certificates for
# localhost signed by them: good, untrusted (by the rogue authority),
# expired, one for another name, and one whose server leaves out the
# intermediate authority that signed it.
set -e
dir="$1"
[ -f "$dir/nointermediate.pem" ] && exit 0
mkdir -p "$dir"
cd "$dir"
authority() {
    openssl req -x509 -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.pem" -days 3650 -subj "/CN=$2" \
        -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
}
# server NAME AUTHORITY HOST DAYS [SENT]: NAME.pem holds the certificate, then
# the authority's, so the server sends the whole chain (or only the
# certificate, with SENT "alone").
server() {
    printf 'subjectAltName=DNS:%s\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' "$3" > "$1.ext"
    openssl req -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.csr" -subj "/CN=$3" 2>/dev/null
    # A negative number of days gives a certificate that has already expired.
    openssl x509 -req -in "$1.csr" -CA "$2.pem" -CAkey "$2.key" -CAcreateserial -days "$4" -extfile "$1.ext" \
        -out "$1.leaf" 2>/dev/null
    if [ "${5:-}" = alone ]; then cp "$1.leaf" "$1.pem"; else cat "$1.leaf" "$2.pem" > "$1.pem"; fi
    rm -f "$1.csr" "$1.ext" "$1.leaf"
}
authority ca "Wendrel Test Authority"
authority rogue "Untrusted Test Authority"
openssl req -newkey rsa:2048 -nodes -keyout mid.key -out mid.csr -subj "/CN=Wendrel Intermediate" 2>/dev/null
printf 'basicConstraints=critical,CA:TRUE\nkeyUsage=critical,keyCertSign,cRLSign\n' > mid.ext
openssl x509 -req -in mid.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 3650 -extfile mid.ext -out mid.pem 2>/dev/null
rm -f mid.csr mid.ext
openssl x509 -in ca.pem -outform DER -out ca.der
server untrusted rogue localhost 3650
server expired ca localhost -1
server wrongname ca other.example 3650
server good ca localhost 3650
server nointermediate mid localhost 3650 alone
