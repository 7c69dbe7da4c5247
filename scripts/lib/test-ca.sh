# Sourced by the scripts that run the https tests. fh_tls_make DIR makes, with the openssl
# command, a test CA and the stand-in site's certificates in DIR (the site's --tls DIR):
#   www.youtube.com.pem        for the site's host, signed by the test CA
#   untrusted.youtube.com.pem  signed by a second CA that nothing trusts
#   wronghost.youtube.com.pem  signed by the test CA, but made for www.youtube.com
#   expired.youtube.com.pem    signed by the test CA, valid only in January 2025
# and ca.der, the test CA for fh_tls_trust. fh_tls_trust DIR [HELPER] adds that CA to the
# machine's root store of the current Wine prefix ($WINEPREFIX, run with the edition's
# `wine`, scripts/lib/edition.sh) with that edition's Windows helper fh_trust_ca.exe.
# Both return 1 with a message on failure.

FH_TRUST_CA_DEFAULT="${FH_BUILD:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/build/win}/tests/common/fh_trust_ca.exe"

# Signs DIR/leaf.csr with the CA named by $2 (DIR/$2.pem and .key) as a certificate for the
# host $3 (its name and its one DNS name) into DIR/$4.pem, with the CA and the leaf key; the
# rest are openssl ca's -startdate and -enddate, or -days N.
fh_tls_sign() {
  local dir=$1 ca=$2 host=$3 out=$4; shift 4
  printf 'subjectAltName=DNS:%s\nbasicConstraints=CA:false\nextendedKeyUsage=serverAuth\n' "$host" >"$dir/ext.cnf"
  openssl ca -batch -config "$dir/ca.cnf" -cert "$dir/$ca.pem" -keyfile "$dir/$ca.key" -in "$dir/leaf.csr" \
      -subj "/CN=$host" -extfile "$dir/ext.cnf" -notext -out "$dir/$out.crt" "$@" >/dev/null 2>&1 || return 1
  cat "$dir/$out.crt" "$dir/$ca.pem" "$dir/leaf.key" >"$dir/$out.pem"
}

fh_tls_make() {
  local dir=$1 ca
  command -v openssl >/dev/null || { echo "fh_tls_make: no openssl command (scripts/install-deps.sh)" >&2; return 1; }
  rm -rf "$dir" && mkdir -p "$dir/db" || return 1
  : >"$dir/db/index"
  echo 1000 >"$dir/db/serial"
  cat >"$dir/ca.cnf" <<CNF
[ca]
default_ca = test
[test]
database = $dir/db/index
new_certs_dir = $dir/db
serial = $dir/db/serial
default_md = sha256
policy = any
unique_subject = no
[any]
commonName = supplied
CNF
  for ca in ca other-ca; do
    openssl req -x509 -newkey rsa:2048 -nodes -days 7 -subj "/CN=Framehaul test $ca" \
        -addext "basicConstraints=critical,CA:true" -addext "keyUsage=critical,keyCertSign,cRLSign" \
        -keyout "$dir/$ca.key" -out "$dir/$ca.pem" >/dev/null 2>&1 || { echo "fh_tls_make: no $ca" >&2; return 1; }
  done
  openssl req -newkey rsa:2048 -nodes -subj "/CN=www.youtube.com" -keyout "$dir/leaf.key" -out "$dir/leaf.csr" \
      >/dev/null 2>&1 &&
    fh_tls_sign "$dir" ca www.youtube.com www.youtube.com -days 7 &&
    fh_tls_sign "$dir" other-ca untrusted.youtube.com untrusted.youtube.com -days 7 &&
    fh_tls_sign "$dir" ca www.youtube.com wronghost.youtube.com -days 7 &&
    fh_tls_sign "$dir" ca expired.youtube.com expired.youtube.com \
        -startdate 20250101000000Z -enddate 20250201000000Z &&
    openssl x509 -in "$dir/ca.pem" -outform DER -out "$dir/ca.der" ||
    { echo "fh_tls_make: a certificate could not be made in $dir" >&2; return 1; }
}

fh_tls_trust() {
  local dir=$1 helper=${2:-$FH_TRUST_CA_DEFAULT} out
  [ -f "$helper" ] || { echo "fh_tls_trust: no $helper (build it first)" >&2; return 1; }
  local der; der=$(cd "$dir" && pwd)/ca.der
  out=$(timeout 60 wine "$helper" "Z:${der//\//\\}" 2>&1 | tr -d '\r')
  case "$out" in *"trusted"*) return 0 ;; esac
  echo "fh_tls_trust: the test CA was not added to the prefix's root store: $out" >&2
  return 1
}
