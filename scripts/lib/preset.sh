# Sourced by the scripts: configures a CMake preset the first time it is used.
# preset_configured NAME: build/NAME is ready for `cmake --build --preset NAME`.
preset_configured() {
    [ -f "build/$1/build.ninja" ] || cmake --preset "$1" >/dev/null
}
