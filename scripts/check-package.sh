#!/usr/bin/env bash
# Checks mapplot the way another project uses it, from outside:
# - installs the optimised build (static libraries) into a scratch prefix,
#   builds examples/ against it with find_package, and each component's
#   example (and a caller of the Julia zoom) with its pkg-config file alone,
#   runs them off screen and checks their files;
# - does the same with shared libraries, checks that they export only the
#   public API and what they take from each other, then packs them as a .deb
#   and checks its contents and dependencies;
# - builds the data file part alone inside a consumer (add_subdirectory, Qt
#   and PGPLOT switched off), and checks that it builds no tests or
#   benchmarks and that its installation offers only that component;
# - writes the API reference, failing on an undocumented public function.
# Expects scripts/build-optimised.sh to have run (scripts/run-tests.sh does).
set -euo pipefail
cd "$(dirname "$0")/.."
repository=$PWD
optimised=build-bench
shared=build-package-shared
data_only=build-package-datamap
scratch=$(mktemp -d "${TMPDIR:-/tmp}/mapplot-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export QT_QPA_PLATFORM=offscreen

fail() {
  echo "check-package: $*" >&2
  exit 1
}

configure() {
  cmake "$@" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
}

# What examples/write_data_file.cpp writes: lines end with CR LF.
expected_data_file() {
  printf '%s\r\n' "           2           3           1" \
    "  -1.000000    " "   1.000000    " \
    "  0.0000000E+00" "  0.5000000    " "   1.000000    " \
    "   1.000000    " "   2.000000    " "   3.000000    " \
    "   4.000000    " "   5.000000    " "   6.000000    " \
    " x" " y" " Six values"
}

check_data_example() {
  local program=$1 folder=$2
  mkdir -p "$folder"
  (cd "$folder" && "$program" >console.txt) || fail "$program failed"
  cmp -s "$folder/field.dat" <(expected_data_file) || fail "$program: field.dat differs"
  [ "$(cat "$folder/console.txt")" = "  Output in field.dat" ] ||
    fail "$program: console says $(cat "$folder/console.txt")"
}

check_plot_example() {
  local program=$1 folder=$2
  mkdir -p "$folder"
  (cd "$folder" && "$program" >console.txt) || fail "$program failed"
  [ "$(cat "$folder/console.txt")" = "  Output in field.ps" ] ||
    fail "$program: console says $(cat "$folder/console.txt")"
  [ "$(head -c 10 "$folder/field.ps")" = "%!PS-Adobe" ] && tail -n 3 "$folder/field.ps" | grep '^%%EOF' >/dev/null ||
    fail "$program: field.ps is no complete PostScript file"
}

check_window_example() {
  local program=$1 folder=$2
  mkdir -p "$folder"
  (cd "$folder" && "$program" >console.txt 2>messages.txt) ||
    fail "$program failed: $(cat "$folder/messages.txt")"
  [ ! -s "$folder/console.txt" ] || fail "$program wrote $(cat "$folder/console.txt")"
  local picture=$folder/animate_own_window-window-101.png
  grep -q "saved as animate_own_window-window-101.png" "$folder/messages.txt" && [ -f "$picture" ] ||
    fail "$program saved no picture of window 101"
  # The map's square (left of the legend) runs from black to white.
  local extremes
  extremes=$(convert "$picture" -crop 262x262+4+4 -colorspace Gray -format '%[fx:minima] %[fx:maxima]' info:)
  awk -v e="$extremes" 'BEGIN { split(e, v, " "); exit !(v[1] < 0.05 && v[2] > 0.95) }' ||
    fail "$program: the map in its picture spans only $extremes"
}

# The Julia zoom as a caller of the screenmap component runs it: its 335
# console lines are julia_zoom's.
check_julia_zoom_caller() {
  local program=$1 folder=$2
  mkdir -p "$folder"
  (cd "$folder" && "$program" >julia.txt 2>/dev/null) || fail "$program failed"
  cmp -s "$folder/julia.txt" tests/julia_zoom/julia_console.txt || fail "$program wrote other lines"
}


# The map_widget example: a main window of its own with the widget, saved as
# the widget shows it; its map runs from black to white.
check_widget_example() {
  local program=$1 folder=$2
  mkdir -p "$folder"
  (cd "$folder" && "$program" --snapshot widget.png >console.txt 2>messages.txt) ||
    fail "$program failed: $(cat "$folder/messages.txt")"
  [ -f "$folder/widget.png" ] || fail "$program saved no picture"
  local extremes
  extremes=$(convert "$folder/widget.png" -crop 200x200+4+4 -colorspace Gray -format '%[fx:minima] %[fx:maxima]' info:)
  awk -v e="$extremes" 'BEGIN { split(e, v, " "); exit !(v[1] < 0.05 && v[2] > 0.95) }' ||
    fail "$program: the map in its picture spans only $extremes"
}
# The heat equation on 4 ranks: every frame kept, then the whole field as a
# data file and a plot file.
check_parallel_example() {
  local program=$1 folder=$2
  mkdir -p "$folder"
  (cd "$folder" && OMPI_ALLOW_RUN_AS_ROOT=1 OMPI_ALLOW_RUN_AS_ROOT_CONFIRM=1 \
    mpiexec --oversubscribe -n 4 "$program" --size 64 --steps 200 --frames frames \
    >console.txt 2>messages.txt) || fail "$program failed: $(cat "$folder/messages.txt")"
  [ "$(find "$folder/frames" -name 'frame-*.png' | wc -l)" = 5 ] ||
    fail "$program kept $(find "$folder/frames" -name 'frame-*.png' | wc -l) frames, not 5"
  [ "$(head -n 1 "$folder/heat.dat")" = "$(printf '%12d%12d%12d\r' 64 64 1)" ] ||
    fail "$program: heat.dat does not start with its grid's size"
  [ "$(wc -l <"$folder/heat.dat")" = $((1 + 64 + 64 + 64 * 64 + 3)) ] ||
    fail "$program: heat.dat has $(wc -l <"$folder/heat.dat") lines"
  tail -n 3 "$folder/heat.ps" | grep '^%%EOF' >/dev/null || fail "$program: heat.ps is not complete"
  [ "$(cat "$folder/console.txt")" = "$(printf '  Output in heat.dat\n  Output in heat.ps')" ] ||
    fail "$program: console says $(cat "$folder/console.txt")"
}

# Runs the examples built in $1 in folders of their own under $2.
check_examples() {
  local programs=$1 folder=$2
  check_data_example "$programs/write_data_file" "$folder/data"
  check_plot_example "$programs/write_plot_file" "$folder/plot"
  check_window_example "$programs/animate_own_window" "$folder/window"
  check_widget_example "$programs/map_widget_window" "$folder/widget"
  [ ! -x "$programs/parallel_heat" ] || check_parallel_example "$programs/parallel_heat" "$folder/parallel"
}

# Programs of their own built with one component's pkg-config file alone,
# static and shared alike: the data file without Qt or PGPLOT, the plot file
# without Qt, the screen map and the Julia zoom without PGPLOT.
check_pkg_config_consumers() {
  local prefix=$1 folder=$2
  local pc_folder
  pc_folder=$(dirname "$(find "$prefix" -name mapplot-datamap.pc)")
  mkdir -p "$folder"
  cat >"$folder/julia_zoom_caller.cpp" <<'EOF_CALLER'
#include <mapplot/application.hpp>
#include <mapplot/julia_zoom.hpp>

int main(int argc, char** argv) {
  return mapplot::run_windowed_program(argc, argv, "julia_zoom_caller", mapplot::julia_zoom);
}
EOF_CALLER
  local component source program flags
  for component in datamap:examples/write_data_file.cpp psmap:examples/write_plot_file.cpp \
    screenmap:examples/animate_own_window.cpp screenmap:$folder/julia_zoom_caller.cpp; do
    source=${component#*:}
    component=${component%%:*}
    program=$folder/$(basename "$source" .cpp)
    flags=$(PKG_CONFIG_PATH=$pc_folder pkg-config --cflags --libs "mapplot-$component") ||
      fail "pkg-config knows no mapplot-$component"
    case "$component:$flags" in
      datamap:*Qt* | datamap:*qt* | datamap:*pgplot* | psmap:*Qt* | psmap:*qt* | screenmap:*pgplot*)
        fail "mapplot-$component.pc pulls in $flags" ;;
    esac
    # shellcheck disable=SC2086 # the flags are words
    g++ -std=c++20 -Wall -Wextra -Werror "$source" $flags -o "$program" ||
      fail "$source does not link with mapplot-$component.pc alone: $flags"
    if [ "$component" != screenmap ] && readelf -d "$program" | grep 'NEEDED.*Qt' >/dev/null; then
      fail "$program loads Qt"
    fi
    if [ "$component" = datamap ] && readelf -d "$program" | grep 'NEEDED.*pgplot' >/dev/null; then
      fail "$program loads PGPLOT"
    fi
  done
  export LD_LIBRARY_PATH
  LD_LIBRARY_PATH=$(dirname "$pc_folder")
  check_data_example "$folder/write_data_file" "$folder/run-data"
  check_plot_example "$folder/write_plot_file" "$folder/run-plot"
  check_window_example "$folder/animate_own_window" "$folder/run-window"
  check_julia_zoom_caller "$folder/julia_zoom_caller" "$folder/run-julia"
  unset LD_LIBRARY_PATH
}

# The shared libraries export mapplot's public API (what include/mapplot
# marks MAPPLOT_API) and of the rest only what another of the installed
# binaries takes from them: nothing from the standard library, no internal
# helper.
check_exported_symbols() {
  local prefix=$1
  # A function declared in a public header without its mark would be hidden.
  local unmarked
  unmarked=$(grep -nE '^[A-Za-z_][A-Za-z0-9_:<>, ]*[ &*]+[a-z_][a-z0-9_]*\(' include/mapplot/*.hpp |
    grep -vE '^[^:]+:[0-9]+:(MAPPLOT_API|inline|template|static|constexpr|using|return|#)' || true)
  [ -z "$unmarked" ] || fail "public declarations without MAPPLOT_API:
$unmarked"
  local libraries public
  libraries=$(find "$prefix" -name 'libmapplot_*.so.*.*.*' | sort)
  public=$({
    grep -ohE 'class MAPPLOT_API [A-Za-z0-9_]+' include/mapplot/*.hpp | awk '{ print $3 }'
    # A namespace of its own in a public header (mapplot::parallel) is public whole.
    grep -ohE 'namespace mapplot::[A-Za-z0-9_]+' include/mapplot/*.hpp | sed 's/namespace mapplot:://'
    grep -hE '^MAPPLOT_API ' include/mapplot/*.hpp | sed -E 's/\(.*//' | awk '{ print $NF }'
  } | sort -u)
  local library others wrong=""
  for library in $libraries; do
    # What the other libraries and julia_zoom take from the libraries.
    others=$(for binary in $libraries "$prefix/bin/julia_zoom"; do
      [ "$binary" = "$library" ] || nm -DC --undefined-only "$binary"
    done | sed -E 's/^ *U //' | sort -u)
    wrong+=$(nm -DC --defined-only "$library" | cut -d' ' -f3- |
      awk -v public="$public" -v others="$others" -v library="$(basename "$library")" '
        BEGIN {
          split(public, names, "\n"); for (i in names) is_public[names[i]] = 1
          split(others, taken, "\n")
          for (i in taken) {
            is_taken[taken[i]] = 1
            # A class another binary derives from is exported whole.
            if (sub(/^(typeinfo|vtable) for /, "", taken[i])) is_base[taken[i]] = 1
          }
        }
        {
          name = $0
          sub(/^(typeinfo name for|typeinfo for|vtable for) /, "", name)
          if (name ~ /^mapplot::[A-Za-z0-9_]+/) {
            match(name, /^mapplot::[A-Za-z0-9_]+/)
            if (substr(name, 10, RLENGTH - 9) in is_public || substr(name, 1, RLENGTH) in is_base) next
            if ($0 in is_taken) next
          }
          print library ": " $0
        }')
    wrong+=$'\n'
  done
  wrong=$(grep -v '^$' <<<"$wrong" || true)
  [ -z "$wrong" ] || fail "the shared libraries export more than the public API and what they take from each other:
$wrong"
  local name
  for name in $public; do
    for library in $libraries; do
      # Not grep -q: leaving early would fail the pipeline on nm's SIGPIPE.
      nm -DC --defined-only "$library" | grep " mapplot::$name\b" >/dev/null && continue 2
    done
    fail "no shared library exports mapplot::$name"
  done
}

build_examples() {
  local prefix=$1 folder=$2
  configure -S examples -B "$folder" -DCMAKE_PREFIX_PATH="$prefix"
  cmake --build "$folder" ${MAPPLOT_JOBS:+-j "$MAPPLOT_JOBS"} >/dev/null
}

echo "check-package: static libraries, find_package and pkg-config" >&2
cmake --install "$optimised" --prefix "$scratch/static" >/dev/null
build_examples "$scratch/static" "$scratch/static-examples"
check_examples "$scratch/static-examples" "$scratch/static-run"
check_pkg_config_consumers "$scratch/static" "$scratch/static-pkg-config"
diff <(cd include && ls mapplot/*.hpp) <(cd "$scratch/static/include" && ls mapplot/*.hpp) >/dev/null ||
  fail "the installed headers are not include/mapplot's"

echo "check-package: shared libraries, the .deb" >&2
configure -S . -B "$shared" -DBUILD_SHARED_LIBS=ON -DCMAKE_INSTALL_PREFIX=/usr \
  -DMAPPLOT_TESTS=OFF -DMAPPLOT_BENCHMARKS=OFF
cmake --build "$shared" ${MAPPLOT_JOBS:+-j "$MAPPLOT_JOBS"} >/dev/null
cmake --install "$shared" --prefix "$scratch/shared" >/dev/null
library=$(find "$scratch/shared" -name 'libmapplot_datamap.so.*.*.*')
readelf -d "$library" | grep 'SONAME.*\[libmapplot_datamap\.so\.[0-9]' >/dev/null || fail "$library has no versioned SONAME"
check_exported_symbols "$scratch/shared"
build_examples "$scratch/shared" "$scratch/shared-examples"
check_examples "$scratch/shared-examples" "$scratch/shared-run"
check_pkg_config_consumers "$scratch/shared" "$scratch/shared-pkg-config"
(cd "$scratch/shared-run" && "$scratch/shared/bin/julia_zoom" >julia.txt 2>/dev/null) || fail "the installed julia_zoom failed"
cmp -s "$scratch/shared-run/julia.txt" tests/julia_zoom/julia_console.txt || fail "the installed julia_zoom wrote other lines"

(cd "$shared" && cpack -G DEB -B "$scratch/deb" >/dev/null)
deb=$(find "$scratch/deb" -maxdepth 1 -name 'mapplot_*.deb')
[ -n "$deb" ] || fail "cpack made no .deb"
# The package holds exactly what the install rules install.
diff <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./usr/||' | sort) \
  <(cd "$scratch/shared" && find . \( -type f -o -type l \) | sed 's|^\./||' | sort) ||
  fail "$deb holds other files than the installation"
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 pgplot5; do
  [[ "$depends" == *"$package"* ]] || fail "$deb does not depend on $package: $depends"
done

echo "check-package: the data file part alone, inside another project" >&2
configure -S examples -B "$data_only" -DMAPPLOT_SOURCE_DIR="$repository" \
  -DMAPPLOT_SCREEN=OFF -DMAPPLOT_PLOTFILES=OFF -DMAPPLOT_INSTALL=ON
if grep -qE '^(Qt6_DIR|PGPLOT_INCLUDE_DIR|GTest_DIR|benchmark_DIR):' "$data_only/CMakeCache.txt"; then
  fail "the data file part looked for Qt, PGPLOT, GoogleTest or Google Benchmark"
fi
cmake --build "$data_only" ${MAPPLOT_JOBS:+-j "$MAPPLOT_JOBS"} >/dev/null
programs=$(ninja -C "$data_only" -t targets all | awk -F: '$2 ~ /EXECUTABLE_LINKER/ { print $1 }')
[ "$programs" = write_data_file ] || fail "the consumer built $programs"
check_data_example "$PWD/$data_only/write_data_file" "$scratch/data-only-run"
cmake --install "$data_only" --prefix "$scratch/data-only" >/dev/null
[ "$(cd "$scratch/data-only/include" && echo mapplot/*)" = \
  "mapplot/console.hpp mapplot/data_map.hpp mapplot/export.hpp mapplot/map_request.hpp" ] ||
  fail "the data file part installs $(cd "$scratch/data-only/include" && echo mapplot/*)"
mkdir "$scratch/probe"
cat >"$scratch/probe/CMakeLists.txt" <<'EOF'
cmake_minimum_required(VERSION 3.25)
project(component_probe LANGUAGES CXX)
find_package(mapplot CONFIG REQUIRED COMPONENTS ${COMPONENTS})
EOF
probe() {
  cmake -S "$scratch/probe" -B "$scratch/probe/build-$1" -DCMAKE_PREFIX_PATH="$scratch/data-only" \
    -DCOMPONENTS="$1" 2>&1
}
probe datamap >/dev/null || fail "find_package(mapplot COMPONENTS datamap) failed on the data file part"
for component in psmap screenmap; do
  if message=$(probe "$component"); then
    fail "find_package(mapplot COMPONENTS $component) succeeded without the component"
  fi
  [[ "$message" == *"built without its $component component"* ]] ||
    fail "find_package(mapplot COMPONENTS $component) failed unclearly: $message"
done

echo "check-package: the API reference" >&2
cmake --build "$optimised" ${MAPPLOT_JOBS:+-j "$MAPPLOT_JOBS"} --target docs >/dev/null || fail "the API reference has warnings"

echo "check-package: all checks passed" >&2
