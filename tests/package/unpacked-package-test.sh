#!/usr/bin/env bash
# Makes the Debian package from the build folder, unpacks it into a temporary root (it is never
# installed) and anonymises a sample archive with the unpacked console front end, started through
# its /usr/bin link. Usage: unpacked-package-test.sh BUILD_FOLDER CPACK
set -euo pipefail
build=$1
cpack=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack"; }
debs=("$work"/out/kestrin-anonymise_1.0.0_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "no single kestrin-anonymise_1.0.0_<arch>.deb in: $(ls "$work/out")"
deb=${debs[0]}

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
[[ ", $depends," =~ ,\ firebird3\.0-server-core[\ ,] ]] || fail "the database engine is not among the Depends"
[[ ", $depends," =~ ,\ libfbclient2[\ ,] ]] || fail "the client library is not among the Depends"
[[ ! "$depends" =~ -dev[\ ,]|-dev$ ]] || fail "a build-only package among the Depends"

root=$work/root
dpkg-deb -x "$deb" "$root"
cli=$root/usr/bin/kestrin-anonymise-cli
[ -L "$cli" ] && [[ $(readlink "$cli") != /* ]] || fail "/usr/bin/kestrin-anonymise-cli is not a relative link"
[ "$("$cli" --version)" = 1.0.0.0 ] || fail "kestrin-anonymise-cli --version"

mkdir "$work/archives"
"$root/opt/kestrin-anonymise/kestrin-sample-archive" --patients 3 "$work/archives/Clinic" >/dev/null
status=0
"$cli" "$work/archives/Clinic" >/dev/null || status=$?
[ $status -eq 0 ] || fail "kestrin-anonymise-cli ended with exit status $status"

copies=$(ls "$work/archives" | grep -E '^Clinic_Anonymous_[0-9]{8}_[0-9]{6}$' || true)
[ -n "$copies" ] && [ "$(echo "$copies" | wc -l)" -eq 1 ] ||
    fail "no single copy folder Clinic_Anonymous_YYYYMMDD_HHNNSS beside the archive: $(ls "$work/archives")"
[ -f "$work/archives/$copies/LogData.FB" ] || fail "the copy $copies holds no database"
echo "Made $copies with the unpacked package"
