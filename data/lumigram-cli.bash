# bash completion for lumigram-cli
_lumigram_cli() {
    local cur prev command
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD-1]}
    command=${COMP_WORDS[1]}
    local commands="decode encode info pack unpack list verify convert-all thumbnail convert extract update delete diff"
    if [ "$COMP_CWORD" -eq 1 ]; then
        COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
        return
    fi
    case $prev in
        --transparency-color) COMPREPLY=($(compgen -W "FF00FF" -- "$cur")); return ;;
        --group) COMPREPLY=($(compgen -W "skin image" -- "$cur")); return ;;
        --to) COMPREPLY=($(compgen -W "k g bmp png" -- "$cur")); return ;;
        -d|--folder) COMPREPLY=($(compgen -d -- "$cur")); return ;;
    esac
    local options="--help"
    case $command in
        decode|encode) options="--transparency-color --no-transparency --help" ;;
        info|list|verify|diff) options="--json --help" ;;
        pack) options="--from-png --help" ;;
        unpack) options="--png --help" ;;
        convert) options="-o -d --to --transparency-color --no-transparency --no-clobber --help" ;;
        extract) options="-o -d --help" ;;
        update) options="--convert -o --transparency-color --no-transparency --force --help" ;;
        delete) options="--force --help" ;;
        convert-all) options="--group --transparency-color --no-transparency --dry-run --no-clobber --help" ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    case $command in
        pack|convert-all) COMPREPLY=($(compgen -d -- "$cur")) ;;
        unpack|list|verify|diff) COMPREPLY=($(compgen -f -X '!*.ezx' -- "$cur") $(compgen -d -- "$cur")) ;;
        extract|update|delete)
            if [ "$COMP_CWORD" -eq 2 ]; then
                COMPREPLY=($(compgen -f -X '!*.ezx' -- "$cur") $(compgen -d -- "$cur"))
            elif [ "$command" != update ] && [ -f "${COMP_WORDS[2]}" ]; then
                COMPREPLY=($(compgen -W "$(lumigram-cli list --json "${COMP_WORDS[2]}" 2>/dev/null | grep -o '"name":"[^"]*"' | cut -d'"' -f4)" -- "$cur"))
            else
                COMPREPLY=($(compgen -f -- "$cur"))
            fi ;;
        *) COMPREPLY=($(compgen -f -- "$cur")) ;;
    esac
}
complete -o filenames -F _lumigram_cli lumigram-cli
