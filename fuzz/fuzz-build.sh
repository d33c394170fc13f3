# Sourced by the run-fuzz.sh scripts (after they set top and work): the
# compiler with its sanitizer and Qt flags, and compile_objects.
read -r -a qt_cflags <<<"$(pkg-config --cflags Qt6Core Qt6Network)"
read -r -a qt_libs <<<"$(pkg-config --libs Qt6Core Qt6Network)"
cxx=${FUZZ_CXX:-clang++}
sanitize=(-fsanitize=address,undefined -fno-sanitize-recover=all)
cflags=(-std=c++20 -O1 -g -fPIC -fno-omit-frame-pointer -I"$top" "${qt_cflags[@]}" -DVELTA_RUNTIME_BUILD)

# compile_objects WHAT SOURCE...: compiles the sources for fuzzing into
# $work/obj, two compilers at a time (the machine is shared), and lists them in
# objects. An object is compiled again when its source, or a header of its
# folder or of the runtime, is newer. Returns non-zero when one fails.
compile_objects() {
  local what=$1 src obj folder newest
  shift
  echo "Compiling $what for fuzzing in $work"
  mkdir -p "$work/obj"
  rm -f "$work"/obj/*.failed
  objects=()
  for src in "$@"; do
    obj="$work/obj/$(basename "${src%.cpp}").o"
    objects+=("$obj")
    folder=$(dirname "$src")
    newest=$(ls -t "$src" "$folder"/*.h "$top"/common/*.h 2>/dev/null | head -1 || true)
    [ -f "$obj" ] && [ "$obj" -nt "$newest" ] && continue
    { "$cxx" "${cflags[@]}" "${sanitize[@]}" -fsanitize=fuzzer-no-link -c "$src" -o "$obj" \
        || { rm -f "$obj"; touch "$obj.failed"; }; } &
    while [ "$(jobs -rp | wc -l)" -ge 2 ]; do sleep 0.2; done
  done
  wait
  if compgen -G "$work/obj/*.failed" >/dev/null; then
    echo "Compiling $what failed." >&2
    return 1
  fi
}
