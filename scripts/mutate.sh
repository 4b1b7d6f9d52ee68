#!/usr/bin/env bash
# Mutation testing: how many small faults in the show's own code (app base gfx
# scenes texgen) do the tests catch? Draws a seeded sample of mutants
# (scripts/mutants.py), and for each: writes it into the source, rebuilds,
# runs the tests that can see it (stopping at the first failure) and puts the
# source back.
#
# Which tests can see a mutant: the unit and GL tests that ran its line, by a
# map made once for the committed sources (scripts/coverage-map.py: every
# test run alone in a --coverage build, DIR-coverage/), then every end-to-end
# and stress test labelled with the file's area. Those start programs whose
# counts a map can lose (a program stopped by a signal or by a file size limit
# writes none), so they always run. On a line gcov does not know as code (a
# declaration, a constant) every test of the area runs. --select labels runs
# the area's tests for every mutant.
#
#   scripts/mutate.sh [--seed S] [--count N] [--list] [--only ID[,ID...]]
#                     [--resume] [--select coverage|labels] [--jobs J]
#                     [--timeout SECONDS] [--build DIR]
#
# Outcomes: killed (a test failed), survived (every test passed), timeout
# (the mutant's tests ran past --timeout seconds, or a test hit its own
# limit), not compiled (the build failed), unchanged (no object file changed
# beyond its debug information, so no test can tell). Results: one TSV line
# a mutant in DIR/mutants/seedS.tsv, a log a mutant beside it; --resume
# keeps the lines already there and runs the mutants they lack. The build
# folder is its own (default build-mutate/), so build/ is left alone. Run it
# on an idle machine, or under nice.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seed=1 count=200 list=0 only="" resume=0 select=coverage jobs=2 timeout=900 build=$root/build-mutate
while (($#)); do
  case $1 in
    --seed) seed=$2; shift ;;
    --count) count=$2; shift ;;
    --list) list=1 ;;
    --only) only=,$2,; shift ;;
    --resume) resume=1 ;;
    --select) select=$2; shift ;;
    --jobs) jobs=$2; shift ;;
    --timeout) timeout=$2; shift ;;
    --build) build=$(realpath -m "$2"); shift ;;
    -h|--help) sed -n '2,/^set -e/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "mutate.sh: unknown option $1 (see --help)" >&2; exit 2 ;;
  esac
  shift
done
mutants=(python3 "$root/scripts/mutants.py" --seed "$seed" --count "$count")
if ((list)); then exec "${mutants[@]}" list; fi

# The sample is drawn from the sources as committed: a mutant left behind by
# a run that was killed outright must not shift it.
if ! git -C "$root" diff --quiet HEAD -- app base gfx scenes texgen; then
  echo "mutate.sh: app base gfx scenes texgen differ from the last commit: commit them, or restore a leftover mutant:" >&2
  git -C "$root" diff --stat HEAD -- app base gfx scenes texgen >&2
  exit 1
fi
export CCACHE_BASEDIR=/work
if [[ ! -f $build/build.ninja ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DGLOWMOTION_BUILD_TESTS=ON -DGLOWMOTION_BUILD_BENCHMARKS=OFF \
    -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache
fi
cmake --build "$build" -j"$jobs"
if [[ $select == coverage ]]; then
  cov=$build-coverage map=$build-coverage/map-$(git -C "$root" rev-parse HEAD).json
  if [[ ! -f $map ]]; then
    git -C "$root" diff --quiet HEAD -- tests fuzz ||
      echo "mutate.sh: tests/ or fuzz/ differ from the last commit; the map is of the working tree" >&2
    cmake -S "$root" -B "$cov" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -DCMAKE_CXX_FLAGS=--coverage -DCMAKE_C_FLAGS=--coverage -DCMAKE_EXE_LINKER_FLAGS=--coverage \
      -DCMAKE_SHARED_LINKER_FLAGS=--coverage -DGLOWMOTION_BUILD_TESTS=ON -DGLOWMOTION_BUILD_BENCHMARKS=OFF \
      -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache >/dev/null
    cmake --build "$cov" -j"$jobs"
    echo "mutate.sh: which test runs which line (every test alone, once)" >&2
    python3 "$root/scripts/coverage-map.py" make "$cov" "$map.part" 2>"$cov/map.log"
    mv "$map.part" "$map"
  fi
elif [[ $select != labels ]]; then
  echo "mutate.sh: --select coverage or labels" >&2; exit 2
fi
out=$build/mutants
mkdir -p "$out"
results=$out/seed$seed.tsv
declare -A done=()
if ((resume)) && [[ -f $results ]]; then
  while IFS=$'\t' read -r id _; do [[ $id == M* ]] && done[$id]=1; done <"$results"
  sed -i '/^killed /d' "$results"  # the last run's summary, written anew below
else
  printf 'id\tsite\toperator\toriginal\treplacement\toutcome\tseconds\n' >"$results"
fi

# The source being mutated is kept here and put back however the run ends.
saved=$out/original.source current=""
restore() { if [[ -n $current ]]; then cat "$saved" >"$root/$current"; current=""; fi; }
trap restore EXIT
trap 'restore; exit 130' INT TERM

# The object files compiled from a source (or including a header), and a
# copy of each without debug information, which moves with every column.
# (ninja names a source absolutely, or relative to the build folder when that
# lies inside the source tree.)
objects_of() {
  ninja -C "$build" -t deps | awk -v f="$root/$1" -v r="$(realpath -m --relative-to="$build" "$root/$1")" \
    '/^[^ ].*: #deps/ {o = $1; sub(/:$/, "", o)} $1 == f || $1 == r {print o}' | sort -u
}
snapshot() { local o; for o in "${objs[@]}"; do objcopy --strip-debug "$build/$o" "$out/$(basename "$o").$1"; done; }
same_code() { local o; for o in "${objs[@]}"; do cmp -s "$out/$(basename "$o").before" "$out/$(basename "$o").after" || return 1; done; }

# Runs ctest with the given label filters for what is left of the time
# limit; sets outcome when a test fails.
run_tests() {
  local left=$((deadline - SECONDS)) rc=0
  ((left > 0)) || { outcome=timeout; return; }
  timeout -k 10 "$left" ctest --test-dir "$build" --stop-on-failure --output-on-failure -j"$jobs" "$@" >>"$log" 2>&1 || rc=$?
  if ((rc == 124 || rc == 137)) || grep -q '\*\*\*Timeout' "$log"; then outcome=timeout
  elif ((rc != 0)); then outcome=killed; fi
}

declare -A tally=()
while IFS=$'\t' read -r -u 3 id site op original replacement; do
  [[ -z $only || $only == *,$id,* ]] || continue
  [[ -z ${done[$id]:-} ]] || continue
  file=${site%%:*} area=${site%%/*} log=$out/$id.log start=$SECONDS
  mapfile -t objs < <(objects_of "$file")
  ninja -C "$build" "${objs[@]}" >"$log" 2>&1  # the objects of the unmutated source
  snapshot before
  cp "$root/$file" "$saved"
  current=$file
  "${mutants[@]}" apply "$id"
  diff -u "$saved" "$root/$file" --label "a/$file" --label "b/$file" >>"$log" || true
  rc=0 tests=() selection=""
  [[ $select == labels ]] || selection=$(python3 "$root/scripts/coverage-map.py" tests "$map" "$file" "$(cut -d: -f2 <<<"$site")") || rc=$?
  [[ -z $selection ]] || mapfile -t tests <<<"$selection"
  if ! ninja -C "$build" "${objs[@]}" >>"$log" 2>&1; then outcome="not compiled"
  elif snapshot after && same_code; then outcome=unchanged
  elif ! cmake --build "$build" -j"$jobs" >>"$log" 2>&1; then outcome="not compiled"
  else
    outcome=survived deadline=$((SECONDS + timeout))
    if [[ $select == coverage ]] && ((rc == 0)); then
      printf 'the tests that ran the line: %s\n' "${tests[*]}" >>"$log"
      # The quick tests first: ctest starts the longest first, and the first
      # failure ends the mutant's run.
      names=$(printf '%s\n' "${tests[@]}" | sed 's/[^[:alnum:]_]/\\&/g; s/.*/^&$/' | paste -sd'|')
      ((${#tests[@]} == 0)) || run_tests -R "$names" -LE '^(e2e|stress)$'
      [[ $outcome != survived ]] || run_tests -L "^$area\$" -L '^(e2e|stress)$'
    else
      run_tests -L "^$area\$" -L '^unit$'
      [[ $outcome != survived ]] || run_tests -L "^$area\$" -LE '^unit$'
    fi
  fi
  restore
  seconds=$((SECONDS - start))
  tally[$outcome]=$((${tally[$outcome]:-0} + 1))
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$id" "$site" "$op" "$original" "$replacement" "$outcome" "$seconds" | tee -a "$results"
done 3< <("${mutants[@]}" list)

rm -f "$out"/*.before "$out"/*.after
cmake --build "$build" -j"$jobs" >/dev/null  # back to the unmutated programs
# The tally of the whole file, resumed runs included.
tally=()
while IFS=$'\t' read -r id _ _ _ _ outcome _; do
  [[ $id == M* ]] && tally[$outcome]=$((${tally[$outcome]:-0} + 1))
done <"$results"
summary="killed ${tally[killed]:-0}, survived ${tally[survived]:-0}, not compiled ${tally[not compiled]:-0}, unchanged ${tally[unchanged]:-0}, timeout ${tally[timeout]:-0}"
echo "$summary" | tee -a "$results"
