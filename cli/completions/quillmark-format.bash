# bash completion for quillmark-format.
_quillmark_format()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local flags='--in-place -i --check --diff --color --capitalise --capitalize
        --dump-options --help-options --lsp --options --no-config --set
        --left-margin --lines --exclude --encoding --stdin-path --no-verify --jobs -j
        --quiet -q --verbose -v --help -h --version -V'
    COMPREPLY=()
    case $prev in
        --encoding)
            COMPREPLY=($(compgen -W 'utf-8 latin1 cp1252 iso-8859-15' -- "$cur"))
            return ;;
    esac
    case $cur in
        --color=*)
            COMPREPLY=($(compgen -W 'auto always never' -- "${cur#--color=}"))
            return ;;
        -*)
            COMPREPLY=($(compgen -W "$flags" -- "$cur"))
            return ;;
    esac
    # Nothing offered: bash completes file names (-o default).
}
complete -o default -F _quillmark_format quillmark-format
