# Sourced by the test scripts. install_missing PACKAGE... installs with
# apt-get (as root) the Debian packages of its arguments that are not
# installed yet, and does nothing when all of them are.
install_missing() {
  local need=() pkg
  for pkg in "$@"; do
    dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
  done
  [ ${#need[@]} -gt 0 ] || return 0
  echo "installing ${need[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
}
