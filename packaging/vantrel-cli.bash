# bash completion for vantrel-cli
_vantrel_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    COMPREPLY=()
    if [ "$COMP_CWORD" -eq 1 ]; then
        mapfile -t COMPREPLY < <(compgen -W 'dump run --help --version' -- "$cur")
    elif [ "${COMP_WORDS[1]}" = run ] || { [ "${COMP_WORDS[1]}" = dump ] && [ "$COMP_CWORD" -eq 2 ]; }; then
        # dump takes one image; run takes an image and then scripts.
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    fi
} &&
    complete -o filenames -F _vantrel_cli vantrel-cli
