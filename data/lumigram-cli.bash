# bash completion for lumigram-cli
_lumigram_cli() {
    local cur prev command
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD-1]}
    command=${COMP_WORDS[1]}
    local commands="decode encode info pack unpack list verify convert-all thumbnail"
    if [ "$COMP_CWORD" -eq 1 ]; then
        COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
        return
    fi
    case $prev in
        --transparency-color) COMPREPLY=($(compgen -W "FF00FF" -- "$cur")); return ;;
        --group) COMPREPLY=($(compgen -W "skin image" -- "$cur")); return ;;
    esac
    local options="--help"
    case $command in
        decode|encode) options="--transparency-color --no-transparency --help" ;;
        info|list|verify) options="--json --help" ;;
        convert-all) options="--group --transparency-color --no-transparency --dry-run --no-clobber --help" ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    case $command in
        pack|convert-all) COMPREPLY=($(compgen -d -- "$cur")) ;;
        unpack|list|verify) COMPREPLY=($(compgen -f -X '!*.ezx' -- "$cur") $(compgen -d -- "$cur")) ;;
        *) COMPREPLY=($(compgen -f -- "$cur")) ;;
    esac
}
complete -o filenames -F _lumigram_cli lumigram-cli
