# bash completion for vantrel-cli
_vantrel_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} at=1 command=
    COMPREPLY=()
    case ${COMP_WORDS[COMP_CWORD - 1]} in
    --format)
        mapfile -t COMPREPLY < <(compgen -W 'raw ihex srec elf uf2 auto' -- "$cur")
        return
        ;;
    --base | --fill) return ;;  # a hexadecimal number
    esac
    # Options may stand before the command (`--raw run ...`): the command is the first other word.
    while [ "$at" -lt "$COMP_CWORD" ] && [[ ${COMP_WORDS[at]} == -* ]]; do
        at=$((at + 1))
    done
    [ "$at" -lt "$COMP_CWORD" ] && command=${COMP_WORDS[at]}
    if [ -z "$command" ]; then
        mapfile -t COMPREPLY < <(compgen -W 'dump run check --help --version --raw --utf8' -- "$cur")
    elif [[ $cur == -* ]]; then
        case $command in
        run) mapfile -t COMPREPLY < <(compgen -W '--expect --approve --format --base --fill --raw --utf8' -- "$cur") ;;
        check) mapfile -t COMPREPLY < <(compgen -W '--quiet --raw --utf8' -- "$cur") ;;
        dump) mapfile -t COMPREPLY < <(compgen -W '--format --base --fill --raw --utf8' -- "$cur") ;;
        esac
    elif [ "$command" = run ] || [ "$command" = check ] ||
        { [ "$command" = dump ] && [ "$COMP_CWORD" -eq $((at + 1)) ]; }; then
        # dump takes one image; run takes an image and then scripts; check takes scripts.
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    fi
} &&
    complete -o filenames -F _vantrel_cli vantrel-cli
