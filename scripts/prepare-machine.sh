# Sourced by the top-level scripts: installs the Debian packages the build and
# the tests need (skipping what is there) and generates the two locales Wine
# needs to decode non-ASCII file names and to pick the ANSI code page.
# chromium renders the build report in a test; unzip reads the release zip.
need=(wine wine64 g++-mingw-w64-x86-64-posix mingw-w64-tools xvfb xauth
      fonts-wqy-microhei locales cmake googletest make chromium unzip)
missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
if ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$' || ! locale -a 2>/dev/null | grep -qi '^en_US.utf8$'; then
  sed -i -E 's/^# *(zh_CN.UTF-8 UTF-8|en_US.UTF-8 UTF-8)/\1/' /etc/locale.gen
  locale-gen >/dev/null
fi
