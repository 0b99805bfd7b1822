#!/usr/bin/env bash
# Checks the manual pages and the shell completions of brindlewick-cli as man and the shells
# use them. One check a run:
#
#   check-shell-files.sh man|bash|zsh|fish PROGRAM SOURCE_FOLDER
#
# man: every page renders without a warning, the page of brindlewick-cli names every long
# option that --help lists, and its version is the program's. bash, zsh, fish: the completion
# file loads in its shell, completes "--rem" to --remove and a --sort value, and offers every
# long option that --help lists. Exit status 77 (skipped) when the shell is not installed.
set -euo pipefail

mode=$1
cli=$2
src=$3
completions=$src/packaging/completions
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
need() {
    command -v "$1" >/dev/null || {
        echo "$1 is not installed: skipped"
        exit 77
    }
}

# The long options --help lists, one a line.
mapfile -t options < <("$cli" --help | grep -o -- '--[a-z][a-z-]*' | sort -u)
[ "${#options[@]}" -gt 30 ] || {
    echo "FAIL: --help lists only ${#options[@]} long options" >&2
    exit 1
}

# Fails for each option of the list that the text (one option a line) lacks.
all_offered() {
    local what=$1 offered=$2 option
    for option in "${options[@]}"; do
        grep -qxF -- "$option" <<<"$offered" || fail "$what does not offer $option"
    done
}

scratch=$(mktemp -d /tmp/brindle-XXXXXX)
trap 'rm -rf "$scratch"' EXIT

case $mode in
man)
    need man
    for page in "$src"/packaging/man/*.1; do
        # Rendered as man shows it on a UTF-8 terminal and as plain text; any warning fails.
        warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 "$page" 2>&1 >/dev/null)
        [ -z "$warnings" ] || fail "$page: $warnings"
        warnings=$(LC_ALL=C MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
        [ -z "$warnings" ] || fail "$page (C locale): $warnings"
    done
    page=$src/packaging/man/brindlewick-cli.1
    # Through a pipe man gives plain text, without overstriking.
    text=$(LC_ALL=C.UTF-8 MANWIDTH=200 MANPAGER=cat man -l "$page" 2>/dev/null)
    all_offered "the manual page" "$(grep -o -- '--[a-z][a-z-]*' <<<"$text" | sort -u)"
    for section in NAME SYNOPSIS DESCRIPTION JOBS OPTIONS "THE UNDO FILE" "EXIT STATUS" EXAMPLES; do
        grep -qx "$section" <<<"$text" || fail "the manual page has no section $section"
    done
    version=$("$cli" --version | grep -o 'v[0-9][0-9.]*' | tr -d v)
    for page in "$src"/packaging/man/*.1; do
        head -n1 "$page" | grep -qF "\"Brindlewick $version\"" || fail "$page is not of version $version"
    done
    ;;
bash)
    need bash
    file=$completions/brindlewick-cli
    # complete WORD... prints what the completion function offers for the last word.
    complete_words() {
        bash --norc --noprofile -c '
            source "$1" || exit 1
            shift
            COMP_WORDS=("$@")
            COMP_CWORD=$(($# - 1))
            COMP_LINE="$*"
            COMP_POINT=${#COMP_LINE}
            _brindlewick_cli
            printf "%s\n" "${COMPREPLY[@]}"' _ "$file" brindlewick-cli "$@"
    }
    [ "$(complete_words --rem)" = "--remove" ] || fail "bash: --rem gives '$(complete_words --rem)'"
    [ "$(complete_words --sort natural-d)" = "natural-desc" ] || fail "bash: --sort natural-d"
    [ "$(complete_words --sort = natural-d)" = "natural-desc" ] || fail "bash: --sort=natural-d"
    [ -z "$(complete_words --insert "")" ] || fail "bash: --insert offers values"
    mkdir -p "$scratch/Photos 2024" && touch "$scratch/photo.jpg"
    [ "$(cd "$scratch" && complete_words Ph)" = "Photos 2024" ] || fail "bash: folders"
    [ "$(cd "$scratch" && complete_words -- -- "")" = "Photos 2024" ] || fail "bash: folders after --"
    all_offered "bash" "$(complete_words --)"
    bash --norc --noprofile -c 'source "$1" && complete -p brindlewick-cli' _ "$file" >/dev/null ||
        fail "bash: the file does not register the completion"
    ;;
zsh)
    need zsh
    # An interactive zsh on a pseudo-terminal types the line and a Tab; a key bound to a widget
    # then writes the edited line to a file.
    complete_line() {
        local out=$scratch/zsh-line
        rm -f "$out"
        zsh -f -c '
            zmodload zsh/zpty || exit 1
            dir=$1 out=$2 line=$3
            zpty z zsh -f -i
            zpty -w z "PS1=\"> \"; fpath=($dir \$fpath); autoload -U compinit; compinit -u -d $out.dump"
            zpty -w z "show() { print -r -- \"\$BUFFER\" > $out }; zle -N show; bindkey \"^X\" show"
            zpty -w -n z "$line"$'\''\t\x18'\''
            for i in {1..100}; do [[ -s $out ]] && break; sleep 0.1; done
            zpty -d z' _ "$completions" "$out" "$1"
        cat "$out" 2>/dev/null || true
    }
    loaded=$(zsh -f -c 'autoload -U compinit; compinit -u -d "$2"; source "$1" && print -r -- $_comps[brindlewick-cli]' \
        _ "$completions/_brindlewick-cli" "$scratch/dump" 2>&1) || true
    [ "$loaded" = "_brindlewick-cli" ] || fail "zsh: sourcing the file gives '$loaded'"
    got=$(complete_line "brindlewick-cli --rem")
    [ "$got" = "brindlewick-cli --remove=" ] || fail "zsh: --rem gives '$got'"
    got=$(complete_line "brindlewick-cli --sort=natural-d")
    [ "$got" = "brindlewick-cli --sort=natural-desc " ] || fail "zsh: --sort=natural-d gives '$got'"
    # The options that _arguments is given: each begins an option string or stands in a {-x,--name}
    # pair.
    all_offered "zsh" "$(grep -oE -- "[',{*]--[a-z][a-z-]*" "$completions/_brindlewick-cli" | cut -c2- | sort -u)"
    ;;
fish)
    need fish
    file=$completions/brindlewick-cli.fish
    complete_line() {
        fish --no-config -c 'source $argv[1]; and complete -C $argv[2]' "$file" "$1" | cut -f1
    }
    [ "$(complete_line "brindlewick-cli --rem")" = "--remove" ] || fail "fish: --rem"
    [ "$(complete_line "brindlewick-cli --sort natural-d")" = "natural-desc" ] || fail "fish: --sort natural-d"
    mkdir -p "$scratch/Photos 2024" && touch "$scratch/photo.jpg"
    got=$(cd "$scratch" && complete_line "brindlewick-cli Ph")
    [ "$got" = "Photos 2024/" ] || fail "fish: folders give '$got'"
    all_offered "fish" "$(complete_line "brindlewick-cli --")"
    ;;
*)
    echo "unknown check: $mode" >&2
    exit 2
    ;;
esac

[ "$failures" -eq 0 ] || exit 1
echo "$mode: all checks passed"
