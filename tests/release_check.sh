#!/bin/sh
# The release of a repository's commit: scripts/release, run in two clones at
# different paths, writes the same files byte for byte; and each package,
# unpacked (never installed), holds what it should and a delay that works.
#
#   release_check.sh REPOSITORY CLI_TEST WINE64 WINE32    (WINEPREFIX from the environment)
#
# CLI_TEST is the end-to-end test program; its Delay tests run on each
# unpacked binary.
set -u
repo=$1 cli_test=$2 wine64=$3 wine32=$4
tests=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "FAILED: $*"; status=1; }

git -C "$repo" rev-parse -q --verify HEAD >/dev/null || { echo "skipped: $repo is not a git clone"; exit 77; }
one=$work/one/delay two=$work/two/at/a/longer/path/delay
for clone in "$one" "$two"; do
	git clone -q "$repo" "$clone" && (cd "$clone" && sh scripts/release >"$work/log" 2>&1) ||
		{ cat "$work/log"; echo "FAILED: scripts/release in $clone"; exit 1; }
done
dist=$one/dist
if diff -r "$dist" "$two/dist" >/dev/null; then
	echo "two clones, two paths: the same files, byte for byte"
	cat "$dist/SHA256SUMS"
else
	fail "two releases of one commit differ:"
	diff "$dist/SHA256SUMS" "$two/dist/SHA256SUMS"
fi
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the files"

# works DELAY [LAUNCHER]: the end-to-end tests of the command pass on it
works() {
	"$cli_test" --gtest_filter='Delay.*' --gtest_brief=1 --delay="$1" ${2:+--launcher="$2"} >"$work/log" 2>&1 ||
		{ cat "$work/log"; fail "$*: the end-to-end tests"; return; }
	echo "$*: the end-to-end tests pass"
}
# contains ARCHIVE-LISTING EXPECTED...: the listing holds exactly these names
contains() {
	listing=$1
	shift
	printf '%s\n' "$@" | sort | diff - "$listing" >/dev/null || { fail "holds:"; cat "$listing"; }
}

cd "$dist" || exit 1
for f in delay-*-linux-*.tar.gz delay_*_*.deb delay-*-windows-x86.zip delay-*-windows-x64.zip; do
	[ -f "$f" ] || fail "no $f"
done

tarball=$(echo delay-*-linux-*.tar.gz)
top=${tarball%.tar.gz}
tar -tzf "$tarball" | sort >"$work/listing"
contains "$work/listing" "$top/" "$top/LICENSE" "$top/README.md" "$top/bin/" "$top/bin/delay" \
	"$top/share/" "$top/share/man/" "$top/share/man/man1/" "$top/share/man/man1/delay.1"
mkdir "$work/tar" && tar -C "$work/tar" -xzf "$tarball"
works "$work/tar/$top/bin/delay"

deb=$(echo delay_*_*.deb)
dpkg-deb -c "$deb" | awk '{ print $NF }' | sort >"$work/listing"
contains "$work/listing" ./ ./usr/ ./usr/bin/ ./usr/bin/delay ./usr/share/ ./usr/share/doc/ \
	./usr/share/doc/delay/ ./usr/share/doc/delay/changelog.gz ./usr/share/doc/delay/copyright \
	./usr/share/lintian/ ./usr/share/lintian/overrides/ ./usr/share/lintian/overrides/delay \
	./usr/share/man/ ./usr/share/man/man1/ ./usr/share/man/man1/delay.1.gz
[ "$(dpkg-deb -f "$deb" Package Section)" = "$(printf 'Package: delay\nSection: utils')" ] ||
	fail "$deb: $(dpkg-deb -f "$deb" Package Section)"
dpkg-deb -x "$deb" "$work/deb"
cmp -s "$work/deb/usr/bin/delay" "$work/tar/$top/bin/delay" || fail "the .deb's delay is not the archive's"
zcat "$work/deb/usr/share/man/man1/delay.1.gz" | cmp -s - "$work/tar/$top/share/man/man1/delay.1" ||
	fail "the .deb's manual page is not the archive's"
works "$work/deb/usr/bin/delay"

for target in x86 x64; do
	zip=$(echo delay-*-windows-$target.zip)
	top=${zip%.zip}
	unzip -Z1 "$zip" | sort >"$work/listing"
	contains "$work/listing" "$top/" "$top/README.txt" "$top/delay.exe"
	mkdir "$work/$target" && unzip -q "$zip" -d "$work/$target"
	readme=$work/$target/$top/README.txt
	grep -qv "$(printf '\r')\$" "$readme" && fail "$zip: README.txt has lines without CR LF"
	grep -q '^BSD 2-Clause License' "$readme" || fail "$zip: README.txt lacks the license"
	if [ $target = x86 ]; then
		sh "$tests/pe_check.sh" i686-w64-mingw32-objdump "$work/$target/$top/delay.exe" pei-i386 PE32 || status=1
		works "$work/$target/$top/delay.exe" "$wine32"
	else
		sh "$tests/pe_check.sh" x86_64-w64-mingw32-objdump "$work/$target/$top/delay.exe" pei-x86-64 PE32+ || status=1
		works "$work/$target/$top/delay.exe" "$wine64"
	fi
done
exit $status
