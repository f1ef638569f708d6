# Sourced by the top-level scripts: installs the Debian packages the build and
# the tests need (skipping what is there) and generates the two locales Wine
# needs to decode non-ASCII file names and to pick the ANSI code page.
# chromium renders the build report in a test; unzip reads the release zip;
# git and rsync serve gitlab-ci-local, which runs the generated pipelines.
need=(wine wine64 g++-mingw-w64-x86-64-posix mingw-w64-tools xvfb xauth
      fonts-wqy-microhei locales cmake googletest make chromium unzip git rsync)
# Node.js with npm is on these machines (Node 20); elsewhere Debian's.
command -v npm >/dev/null || need+=(nodejs npm)
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

# The CI engines the pipeline tests drive, pinned: gitlab-ci-local 4.65.1 is
# the last release that runs on Node 20 (later ones need Node 22), and
# action-validator checks GitHub workflows offline.
QV_CI_TOOLS=${QV_CI_TOOLS:-/opt/quorvane-ci-tools}
export QV_CI_TOOLS
if [ "$(cd "$QV_CI_TOOLS" 2>/dev/null && node -p 'require("./node_modules/gitlab-ci-local/package.json").version + " " + require("./node_modules/@action-validator/cli/package.json").version' 2>/dev/null)" != "4.65.1 0.6.0" ]; then
  echo "Installing gitlab-ci-local 4.65.1 and @action-validator/cli 0.6.0 into $QV_CI_TOOLS"
  mkdir -p "$QV_CI_TOOLS"
  npm install --prefix "$QV_CI_TOOLS" --no-audit --no-fund --no-save --loglevel=error \
      gitlab-ci-local@4.65.1 @action-validator/cli@0.6.0 >/dev/null
fi
