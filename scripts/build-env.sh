# Sourced by the other scripts: installs what is missing and builds the given targets
# (all when none) into $build, which defaults to build/.
kolvara_build() {
  bash scripts/setup.sh
  build="${KOLVARA_BUILD_DIR:-build}"
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  local targets=()
  for t in "$@"; do targets+=(--target "$t"); done
  cmake --build "$build" -j "$(nproc)" "${targets[@]}"
}
