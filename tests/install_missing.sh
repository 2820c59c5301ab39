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
  apt_update
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
}

# apt-get update that a broken index file does not end the run. A mirror
# being synced serves some index files with the wrong size for a while (seen
# with the i386 lists the Windows tests add); apt-get update then fails as a
# whole, although it kept every other list. It is tried three times, and
# after that the lists apt-get has are used: the install that follows fails
# by itself if a package it needs is really missing from them.
apt_update() {
  local try
  for try in 1 2 3; do
    apt-get update -qq && return 0
    if [ "$try" -lt 3 ]; then
      echo "apt-get update failed; trying again in $((try * 15)) s"
      sleep $((try * 15))
    fi
  done
  echo "apt-get update failed three times; going on with the package lists apt-get kept"
}
