# Shared by scripts/demo and scripts/test: installs what the build needs and
# configures and builds a preset. Sourced, not run.

LX_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
# What building the library and lxcam needs (scripts/demo); lxcam links the
# exchange library: XML, YAML and JSON parsers, and Eigen for its fits.
LX_DEMO_PACKAGES=(cmake ninja-build g++ libcli11-dev libpugixml-dev libyaml-cpp-dev nlohmann-json3-dev
  libeigen3-dev)
# What the tests, benchmarks and their stages need besides (scripts/test),
# with the Python package built against Debian's interpreter and tested there.
LX_TEST_PACKAGES=(libgtest-dev libgmock-dev libbenchmark-dev rapidjson-dev libopencv-dev
  clang libclang-rt-14-dev clang-format gcovr locales libxml2-utils
  python3-dev pybind11-dev python3-numpy python3-pytest)
LX_PACKAGES=("${LX_DEMO_PACKAGES[@]}" "${LX_TEST_PACKAGES[@]}")

# lx_install_packages [PACKAGE...]: installs those of the packages (all of
# LX_PACKAGES when none are named) that are missing.
lx_install_packages() {
  local missing=() wanted=("$@")
  [ ${#wanted[@]} -eq 0 ] && wanted=("${LX_PACKAGES[@]}")
  for pkg in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing Debian packages: ${missing[*]} (run as root to install them)" >&2
    return 1
  fi
  echo "installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
}

# lx_build PRESET [-DNAME=VALUE...]: configure (warnings as errors when
# LX_WERROR=1, and the given cache settings) and build.
lx_build() {
  local preset="$1" werror=OFF
  shift
  [ "${LX_WERROR:-0}" = 1 ] && werror=ON
  cmake --preset "$preset" -DLX_WARNINGS_AS_ERRORS="$werror" "$@" >/dev/null
  cmake --build --preset "$preset"
}

# Generates the German locale (decimal comma) that one test pass runs under.
lx_german_locale() {
  locale -a 2>/dev/null | grep -qix 'de_DE.utf-\?8' && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "locale de_DE.UTF-8 missing (run as root to generate it)" >&2
    return 1
  fi
  localedef -i de_DE -f UTF-8 de_DE.UTF-8
}
