# bash completion for vantrel-cli
_vantrel_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    COMPREPLY=()
    case ${COMP_WORDS[COMP_CWORD - 1]} in
    --format)
        mapfile -t COMPREPLY < <(compgen -W 'raw ihex srec elf uf2 auto' -- "$cur")
        return
        ;;
    --base | --fill) return ;;  # a hexadecimal number
    esac
    if [ "$COMP_CWORD" -eq 1 ]; then
        mapfile -t COMPREPLY < <(compgen -W 'dump run check --help --version --raw --utf8' -- "$cur")
    elif [[ $cur == -* ]]; then
        case ${COMP_WORDS[1]} in
        run) mapfile -t COMPREPLY < <(compgen -W '--expect --approve --format --base --fill --raw --utf8' -- "$cur") ;;
        check) mapfile -t COMPREPLY < <(compgen -W '--quiet --raw --utf8' -- "$cur") ;;
        dump) mapfile -t COMPREPLY < <(compgen -W '--format --base --fill --raw --utf8' -- "$cur") ;;
        esac
    elif [ "${COMP_WORDS[1]}" = run ] || [ "${COMP_WORDS[1]}" = check ] ||
        { [ "${COMP_WORDS[1]}" = dump ] && [ "$COMP_CWORD" -eq 2 ]; }; then
        # dump takes one image; run takes an image and then scripts; check takes scripts.
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    fi
} &&
    complete -o filenames -F _vantrel_cli vantrel-cli
