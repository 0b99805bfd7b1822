#!/usr/bin/env bash
# Keeps the shape of the core:
#   qt      no file under src/core includes a Qt header, and no core file is compiled with a Qt
#           include folder or a Qt definition (read from the build's compile_commands.json);
#   layers  a file of src/core/<folder> includes project headers ("core/<folder>/...", from the
#           one include root src/) only from its own folder or a folder below it, in the order
#           base, meta, jobs, joblist, settings, run, desktop; never from gui/ or cli/.
# Usage: check-core-includes.sh qt|layers SOURCE_DIR [BUILD_DIR]
set -uo pipefail

mode=$1
source=$(cd "$2" && pwd)
build=${3:-}
core=$source/src/core
layers=(base meta jobs joblist settings run desktop)
failures=0

fail() {
    echo "FAIL $*"
    failures=$((failures + 1))
}

# The index of a folder in the layer order; empty for a folder that is not a layer.
layer_of() {
    local i
    for i in "${!layers[@]}"; do
        [[ ${layers[$i]} == "$1" ]] && echo "$i" && return
    done
}

check_qt() {
    local file line
    # <QString>, <QtCore/QString>, <qglobal.h>, "ui_MainWindow.h": every way into Qt.
    while IFS= read -r line; do
        fail "includes Qt: $line"
    done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](Q[A-Za-z]|q[a-z0-9_]+\.h|ui_)' \
        --include='*.h' --include='*.cpp' "$core")
    if [[ -z $build ]]; then
        return
    fi
    local commands=$build/compile_commands.json
    if [[ ! -f $commands ]]; then
        fail "no $commands: the build must export its compile commands"
        return
    fi
    # One entry a file: "directory", "command", "file". An entry of a core file whose command
    # names a Qt folder (…/qt6/…, …/QtCore) or defines a QT_ macro could find Qt headers.
    python3 - "$commands" "$core" <<'EOF' || failures=$((failures + 1))
import json, re, sys
commands, core = sys.argv[1], sys.argv[2].rstrip('/') + '/'
entries = [e for e in json.load(open(commands)) if e['file'].startswith(core)]
if not entries:
    print('FAIL no core file in', commands)
    sys.exit(1)
qt = re.compile(r'qt6|Qt6|/Qt(Core|Gui|Widgets|Test)\b|-DQT_')
bad = [e['file'] for e in entries if qt.search(e.get('command', ' '.join(e.get('arguments', []))))]
for f in bad:
    print('FAIL compiled with a Qt folder or definition:', f)
if not bad:
    print(len(entries), 'core files compiled without a Qt folder')
sys.exit(1 if bad else 0)
EOF
}

check_layers() {
    local file folder own included target
    while IFS= read -r file; do
        folder=${file#"$core"/}
        folder=${folder%%/*}
        own=$(layer_of "$folder")
        if [[ -z $own ]]; then
            fail "$file: $folder is not a folder of the core"
            continue
        fi
        while IFS= read -r included; do
            if [[ $included != core/* ]]; then
                fail "$file includes \"$included\", which is not in the core"
                continue
            fi
            target=${included#core/}
            target=${target%%/*}
            local index
            index=$(layer_of "$target")
            if [[ -z $index ]]; then
                fail "$file includes \"$included\", which is not in the core"
            elif ((index > own)); then
                fail "$file ($folder) includes \"$included\" from a folder above it"
            fi
        done < <(sed -nE 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+\/[^"]+)".*/\1/p' "$file")
    done < <(find "$core" -name '*.h' -o -name '*.cpp')
}

case $mode in
qt) check_qt ;;
layers) check_layers ;;
*)
    echo "usage: $0 qt|layers SOURCE_DIR [BUILD_DIR]"
    exit 2
    ;;
esac

if ((failures > 0)); then
    echo "$failures problem(s)"
    exit 1
fi
echo "ok"
