#!/usr/bin/env bash
# Fails when a program has a library search path (RPATH or RUNPATH) with an empty, relative or
# "." entry: the loader reads an empty entry as the current folder and a relative one against
# it, so a library planted there would run inside the program. Checks the programs given
# after the build folder, then every ELF file that `cmake --install` puts in a scratch prefix.
# Usage: check-library-paths.sh BUILD_DIR PROGRAM...
set -uo pipefail

build=$1
shift
failures=0

# Prints FILE's RPATH and RUNPATH values, one a line, each as "TAG<tab>VALUE".
search_paths() {
    readelf -d --wide "$1" | sed -n 's/.*(\(RPATH\|RUNPATH\)).*\[\(.*\)\]$/\1\t\2/p'
}

check() {
    local file=$1 label=$2 tag value rest entry bad
    if [[ ! -f $file ]]; then
        echo "FAIL $label: not built"
        failures=$((failures + 1))
        return
    fi
    while IFS=$'\t' read -r tag value; do
        # Split on ':' keeping empty entries (a leading, trailing or doubled colon).
        bad=()
        rest=$value
        while :; do
            entry=${rest%%:*}
            if [[ -z $entry ]]; then
                bad+=("an empty entry (the current folder)")
            elif [[ $entry != /* ]]; then
                bad+=("the relative entry '$entry'")
            fi
            [[ $rest == *:* ]] || break
            rest=${rest#*:}
        done
        if ((${#bad[@]} > 0)); then
            echo "FAIL $label: $tag [$value] has ${bad[0]}"
            failures=$((failures + 1))
        fi
    done < <(search_paths "$file")
}

count=0
for program in "$@"; do
    check "$program" "$program"
    count=$((count + 1))
done

scratch=$(mktemp -d /tmp/brindle-XXXXXX)
trap 'rm -rf -- "$scratch"' EXIT
if ! cmake --install "$build" --prefix "$scratch/prefix" >"$scratch/install.log" 2>&1; then
    echo "FAIL cmake --install into a scratch prefix:"
    cat "$scratch/install.log"
    failures=$((failures + 1))
fi
installed=0
while IFS= read -r -d '' file; do
    if readelf -h "$file" >/dev/null 2>&1; then
        check "$file" "installed ${file#"$scratch/prefix/"}"
        installed=$((installed + 1))
    fi
done < <(find "$scratch/prefix" -type f -print0 2>/dev/null)
if ((installed == 0)); then
    echo "FAIL no program was installed"
    failures=$((failures + 1))
fi

echo "checked $count built and $installed installed programs: $failures failures"
((failures == 0))
