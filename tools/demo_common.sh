# Shared by demo_route.sh and demo_soak.sh, which source it after setting root.

# The game to run: VELMORA_EXE made absolute, or the game built into build/ first.
demo_exe() {
  exe="${VELMORA_EXE:-}"
  if [ -z "$exe" ]; then
    (cd "$root" && sh tools/build.sh --target velmora) >&2
    exe="$root/build/app/velmora"
  fi
  case "$exe" in
    /*) ;;
    *) exe="$(pwd)/$exe" ;;
  esac
  echo "$exe"
}

# Makes RUNDIR ($1) and enters it, linked to the data as tools/run.sh links build/run/.
demo_enter() {
  mkdir -p "$1"
  cd "$1"
  ln -sfn "$root/data" data
  ln -sfn "$root/data/initialize.vkscript" initialize.vkscript
  ln -sfn "$root/data/defines.txt" defines.txt
}
