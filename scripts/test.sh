#!/usr/bin/env bash
# The whole test suite: the default build, then AddressSanitizer + UndefinedBehaviorSanitizer,
# then the threaded tests under ThreadSanitizer, then each fuzz target for a short while, then
# the Debian package's checks, then the Windows build and its checks under Wine.
# Sets everything up on a fresh Debian 12 machine. Exits non-zero when any test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen
fuzz_seconds=${PZAM_FUZZ_SECONDS:-20}

status=0
passed_total=0
failed_total=0
# Adds a stage's closing line "NAME: P passed, F failed" from its log; a stage without one
# counts as one failure.
add_checks() {
  local p f
  if read -r p f < <(sed -n "s/^$1: \([0-9]*\) passed, \([0-9]*\) failed$/\1 \2/p" "$2"); then
    passed_total=$((passed_total + p))
    failed_total=$((failed_total + f))
  else
    failed_total=$((failed_total + 1))
  fi
}
echo "=== format: clang-format over every C++ file"
bash scripts/setup.sh
# The C++ files: git's list in a clone, else (a release tarball) every one outside build/.
cpp_files() {
  if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z '*.cpp' '*.h'
  else
    find . -path ./build -prune -o -type f \( -name '*.cpp' -o -name '*.h' \) -print0
  fi
}
if ! cpp_files | xargs -0 clang-format --dry-run -Werror; then
  echo "some files are not clang-formatted (run clang-format -i on them)"
  status=1
fi
for preset in default asan tsan; do
  echo "=== ${preset}: build"
  if [ "$preset" = tsan ]; then
    bash scripts/build.sh tsan pzam_thread_tests
  else
    bash scripts/build.sh "$preset"
  fi
  echo "=== ${preset}: tests"
  ctest --preset "$preset" 2>&1 | tee "build/ctest-$preset.log" || status=1
  # "N% tests passed, F tests failed out of T"
  if read -r failed total < <(sed -n 's/.* \([0-9]*\) tests failed out of \([0-9]*\).*/\1 \2/p' \
      "build/ctest-$preset.log" | tail -n 1); then
    passed_total=$((passed_total + total - failed))
    failed_total=$((failed_total + failed))
  else
    failed_total=$((failed_total + 1))
  fi
done

echo "=== fuzz: build"
bash scripts/build.sh fuzz pzam_fuzzers
shopt -s nullglob
for f in build/fuzz/bin/fuzz_*; do
  name=$(basename "$f")
  corpus="fuzz/corpus/${name#fuzz_}"
  mkdir -p "build/fuzz/corpus/$name"
  echo "=== fuzz: $name for ${fuzz_seconds}s"
  if ! "$f" -max_total_time="$fuzz_seconds" -print_final_stats=0 "build/fuzz/corpus/$name" \
      $( [ -d "$corpus" ] && echo "$corpus" ) >"build/fuzz/$name.log" 2>&1; then
    echo "fuzz target $name failed:"; tail -40 "build/fuzz/$name.log"; status=1
    failed_total=$((failed_total + 1))
  else
    passed_total=$((passed_total + 1))
  fi
done

# The Debian package: built, checked and run from its unpacked files (one count per check).
echo "=== package: build, lintian, desktop and AppStream files, the unpacked programs"
bash scripts/setup.sh package
bash scripts/package-check.sh 2>&1 | tee build/package-check.log || status=1
add_checks "package checks" build/package-check.log

# Windows: the cross build, its tests under Wine, the installer and a run through the Win32 comm
# backend (scripts/test-windows.sh; its toolchain comes from the cache when it is there).
echo "=== windows: cross build, tests under Wine, installer, a run on COM5"
bash scripts/test-windows.sh 2>&1 | tee build/windows-check.log || status=1
add_checks "windows checks" build/windows-check.log

if [ "$status" -eq 0 ]; then echo "=== all test stages passed"; else echo "=== some test stage FAILED"; fi
# Every ctest case of the three builds, every fuzz target, every package check and every Windows
# check (its ctest cases included), counted once per stage.
echo "summary: ${passed_total} passed, ${failed_total} failed"
exit "$status"
