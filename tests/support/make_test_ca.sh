#!/bin/sh
# Makes a test CA and the server certificates the TLS tests use, in the directory given:
#   ca.pem                 the CA the client is pointed at (SSL_CERT_FILE)
#   good.pem / good.key    localhost and 127.0.0.1, signed by the CA
#   wrong.pem / wrong.key  a name that is not localhost, signed by the CA
#   expired.pem / .key     localhost and 127.0.0.1, signed by the CA, expired in 2020
#   self.pem / self.key    localhost and 127.0.0.1, signed by itself
set -eu
dir=$1
cd "$dir"
quiet() { "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }; }

quiet openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout ca.key -out ca.pem -days 2 \
    -subj "/CN=Kesmor Test CA" -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign,cRLSign"

leaf() { # name, subject alt names
    printf 'subjectAltName=%s\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' "$2" \
        > "$1.ext"
    quiet openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout "$1.key" -out "$1.csr" -subj "/CN=$1"
}
leaf good "DNS:localhost,IP:127.0.0.1"
quiet openssl x509 -req -in good.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out good.pem \
    -days 2 -extfile good.ext
leaf wrong "DNS:wrong.invalid"
quiet openssl x509 -req -in wrong.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out wrong.pem \
    -days 2 -extfile wrong.ext
leaf self "DNS:localhost,IP:127.0.0.1"
quiet openssl x509 -req -in self.csr -signkey self.key -out self.pem -days 2 -extfile self.ext

# openssl x509 cannot date a certificate in the past; openssl ca can.
leaf expired "DNS:localhost,IP:127.0.0.1"
: > index.txt
echo 1000 > serial
cat > ca.cnf <<CONF
[ca]
default_ca = test
[test]
database = index.txt
serial = serial
new_certs_dir = .
certificate = ca.pem
private_key = ca.key
default_md = sha256
policy = any
copy_extensions = none
[any]
commonName = supplied
CONF
quiet openssl ca -batch -config ca.cnf -in expired.csr -out expired.pem -notext \
    -startdate 20200101000000Z -enddate 20200102000000Z -extfile expired.ext
