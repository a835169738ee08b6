#!/usr/bin/env bash
# ondulix-export's bash completion, tried as bash calls it: the line split into COMP_WORDS as
# bash splits it (at blanks, and at "=" and the other COMP_WORDBREAKS, which become words of
# their own), COMP_LINE, COMP_POINT and COMP_CWORD set, and the function called with the
# command, the word being completed and the word before it. The options and styles it offers
# come from the program's --help; the keys it lists are compared with those the program takes.
#
# Usage: completion-test.bash COMPLETION_FILE PROGRAM
set -u

completion_file=$1
program=$(realpath "$2")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

source /usr/share/bash-completion/bash_completion || exit 1
source "$completion_file" || exit 1

# compopt works only inside a completion that bash runs; here it records what was asked.
compopt() { printf '%s\n' "$*" >>"$scratch/compopt"; }

# Completes LINE (the cursor at its end) and prints the candidates sorted, one per line.
complete_line() {
    local line=$1 words=() word='' i c breaks=$'=:@><;|&('
    for ((i = 0; i < ${#line}; i++)); do
        c=${line:i:1}
        if [[ $c == ' ' ]]; then
            [[ -n $word ]] && words+=("$word")
            word=''
        elif [[ $breaks == *"$c"* ]]; then
            if [[ -n $word && $breaks != *"${word: -1}"* ]]; then
                words+=("$word")
                word=''
            fi
            word+=$c
        else
            if [[ -n $word && $breaks == *"${word: -1}"* ]]; then
                words+=("$word")
                word=''
            fi
            word+=$c
        fi
    done
    words+=("$word") # the word under the cursor, empty after a blank
    COMP_LINE=$line COMP_POINT=${#line} COMP_WORDS=("${words[@]}") COMP_CWORD=$((${#words[@]} - 1))
    COMPREPLY=()
    rm -f "$scratch/compopt"
    _ondulix_export "${words[0]}" "${words[COMP_CWORD]}" "${words[COMP_CWORD - 1]}"
    ((${#COMPREPLY[@]})) && printf '%s\n' "${COMPREPLY[@]}" | sort
}

# expect WHAT LINE EXPECTED...: the candidates for LINE are exactly EXPECTED.
expect() {
    local what=$1 line=$2
    shift 2
    local got expected
    got=$(complete_line "$line" | tr '\n' ' ')
    expected=$( ((${#@})) && printf '%s\n' "$@" | sort | tr '\n' ' ')
    if [[ $got != "$expected" ]]; then
        printf 'FAIL %s: "%s"\n  expected: %s\n  got:      %s\n' "$what" "$line" "$expected" "$got"
        failures=$((failures + 1))
    fi
}

fail() {
    printf 'FAIL %s\n' "$*"
    failures=$((failures + 1))
}

# "...; the keys are length, offset, ..., minimum (min), ...": the names, aliases included.
keys_in_message() {
    sed -n 's/.*; the keys are //p' <<<"$1" | tr -d '()' | tr ', ' '\n\n' | sed '/^$/d' | sort
}

P=$program

# --- options, from the program's --help -------------------------------------------------------
offered=$(complete_line "$P --")
for option in --sin1 --sin2 --sin3 --sin4 --style --label --split --output --strict --check --preview \
    --check-budget --help --version; do
    grep -qx -- "$option" <<<"$offered" || fail "\"$P --\" does not offer $option"
done
for option in $offered; do
    message=$("$P" "$option" 2>&1 >"$scratch/out")
    [[ $message == *"unknown option"* ]] && fail "\"$P --\" offers $option, which the program does not know"
done
[[ $(complete_line "$P ") == "$offered" ]] || fail "\"$P \" does not offer the options"
expect 'options by their start' "$P --st" --strict --style
expect 'a switch is followed by options' "$P --check --sp" --split
expect 'options after a value' "$P --style asm --la" --label

# --- styles, from the help's "Styles:" line ------------------------------------------------------
# "--style: unknown style "?"; use c (or 1), asm (or 2), c99, ...": the names, without the aliases.
styles=$("$P" --style '?' 2>&1 | sed -n 's/.*unknown style.*; use //p' | sed 's/ (or [^)]*)//g' | tr ', ' '\n\n' |
    sed '/^$/d')
[[ -n $styles ]] || fail 'no styles in the program'"'"'s message for an unknown style'
expect 'every style the program takes' "$P --style " $styles
expect 'styles by their start' "$P --style a" asm acme
expect 'a style after "="' "$P --style=c" c c99 ca65
for style in $styles; do
    "$P" --style "$style" >"$scratch/out" 2>&1 || fail "the program refuses --style $style"
done

# --- the keys of --sin1 to --sin4 ------------------------------------------------------------------
table_keys=$(keys_in_message "$("$P" --sin1 '?=1' 2>&1)")
[[ -n $table_keys ]] || fail 'no keys in the program'"'"'s message for an unknown table key'
expect 'the keys the program takes for a table' "$P --sin1 " $(sed 's/$/=/' <<<"$table_keys")
grep -q nospace "$scratch/compopt" || fail 'a key is completed with a space after its "="'
expect 'keys by their start' "$P --sin4 m" min= minimum= max= maximum=
expect 'a key after "--sin2="' "$P --sin2=per" periods=
# After "=" bash replaces only what follows the last "=" of the word.
expect 'keys after a comma' "$P --sin3 length=5,o" 5,offset= 5,origin=
expect 'no key given twice' "$P --sin1 length=5,offset=3,range=7,o" 7,origin=
expect 'nothing for a value' "$P --sin1 length=5,periods="

# --- the keys of --preview -----------------------------------------------------------------------
preview_keys=$(keys_in_message "$("$P" --check --preview '?=1' 2>&1)")
[[ -n $preview_keys ]] || fail 'no keys in the program'"'"'s message for an unknown preview key'
expect 'the keys the program takes for the preview' "$P --check --preview " $(sed 's/$/=/' <<<"$preview_keys")
expect 'preview keys after a comma' "$P --check --preview steps=320,b" 320,bottom=

# --- values -------------------------------------------------------------------------------------
expect 'the value of --check' "$P --check=" json
expect 'nothing for a label of the user'"'"'s own' "$P --style ca65 --label "
mkdir "$scratch/files" "$scratch/files/out"
: >"$scratch/files/tables.s"
cd "$scratch/files" || exit 1
expect 'file names after -o' "$P -o " out tables.s
expect 'a file name after -o' "$P -o ta" tables.s
expect 'a file name after --output=' "$P --output=ta" tables.s
cd "$scratch" || exit 1

# --- an option the completion has never heard of, as a newer program's help may list it --------
cat >"$scratch/newer" <<'HELP'
#!/bin/sh
cat <<'TEXT'
Usage: newer [--style STYLE] [--endian little|big] [--names NAME,...] [-o FILE]
Options:
  --style STYLE         the style
  --endian little|big   the byte order of words
  --names NAME,...      one label for each table
  --sin1 KEY=VALUE,...  likewise --sin2
  -o, --output FILE     write FILE
Styles: c (or 1), asm (or 2), z80asm, gas-arm
TEXT
HELP
chmod +x "$scratch/newer"
expect 'a newer program'"'"'s options' "$scratch/newer --" --endian --names --output --sin1 --sin2 --style
expect 'one of the words an option takes' "$scratch/newer --endian " big little
expect 'one of the words after "="' "$scratch/newer --endian=b" big
expect 'nothing for names of the user'"'"'s own' "$scratch/newer --names "
expect 'a newer program'"'"'s styles' "$scratch/newer --style " c asm z80asm gas-arm

if ((failures)); then
    echo "$failures failures"
    exit 1
fi
echo "all completions as expected"
