# bash completion for ntrctl: commands, options and their answers, the MACs
# and names of the switches the tool knows (`ntrctl list`), function keywords
# and their value words (`ntrctl keywords`), so the words always come from the
# program. A MAC's colons are no word breaks here (COMP_WORDBREAKS has ':'):
# the words are taken whole and the completions trimmed back as bash wants them.

_ntrctl_words() {
  # Every word of a "KEYWORD ..." line after `ntrctl keywords`: the keywords
  # (a keyword the protocol spells with a trailing blank is typed without it),
  # or with $1 the value words of one.
  if [[ -z $1 ]]; then
    "$2" keywords 2>/dev/null | awk '{print $1}'
  else
    "$2" keywords "$1" 2>/dev/null | awk '{ for (i = 2; i <= NF; i++) if ($i ~ /\|/) { n = split($i, w, "|"); for (j = 1; j <= n; j++) if (w[j] !~ /^[A-Z]+$/) print w[j] } }'
  fi
}

# The switches the tool knows: MACs, and the system names one line each.
_ntrctl_switches() {
  "$1" list 2>/dev/null | awk '{ print $1; i = index($0, " name="); if (i && length($0) > i + 5) print substr($0, i + 6) }'
}

# Completes $cur from the words of $1 (one a line), colons kept whole.
_ntrctl_complete_lines() {
  local IFS=$'\n'
  COMPREPLY=($(compgen -W "$1" -- "$cur"))
  __ltrim_colon_completions "$cur"
}

_ntrctl() {
  local cur prev words cword
  _init_completion -n =: || return
  local ntrctl=${words[0]}

  local options="--adapter --json --all --raw --dry-run --no-wait --file -q --quiet -v --verbose --timeout --new --changed --factory --once --interval --temperature-limit --metrics --metrics-public --dot --help --version"
  local commands="adapters list keywords discover show get set read apply diff export import
    firmware restart clear-counters restart-poe factory-reset vlan watch topology"

  case $prev in
    --adapter)
      COMPREPLY=($(compgen -W "$(ls /sys/class/net 2>/dev/null)" -- "$cur"))
      return ;;
    --timeout | --interval | --temperature-limit | --metrics) return ;;
    --new) COMPREPLY=($(compgen -W "factory device" -- "$cur")); return ;;
    --changed) COMPREPLY=($(compgen -W "tool device" -- "$cur")); return ;;
    --factory) COMPREPLY=($(compgen -W "yes no" -- "$cur")); return ;;
    --file) _filedir; return ;;
  esac
  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "$options" -- "$cur"))
    return
  fi

  # The arguments so far, without options and their values.
  local args=() i
  for ((i = 1; i < cword; i++)); do
    case ${words[i]} in
      --adapter | --timeout | --new | --changed | --factory | --file | --interval | --temperature-limit | --metrics) ((i++)) ;;
      -*) ;;
      *) args+=("${words[i]}") ;;
    esac
  done

  if ((${#args[@]} == 0)); then
    COMPREPLY=($(compgen -W "$commands" -- "$cur"))
    return
  fi
  local command=${args[0]} n=${#args[@]}
  case $command in
    keywords)
      ((n == 1)) && COMPREPLY=($(compgen -W "$(_ntrctl_words "" "$ntrctl")" -- "$cur")) ;;
    export | import)
      ((n == 1)) && _filedir ;;
    vlan)
      case $n in
        1) COMPREPLY=($(compgen -W "list add rename delete mode access trunk" -- "$cur")) ;;
        2) _ntrctl_complete_lines "$(_ntrctl_switches "$ntrctl")" ;;
        4)
          case ${args[1]} in
            mode) COMPREPLY=($(compgen -W "access trunk hybrid" -- "$cur")) ;;
            access) COMPREPLY=($(compgen -W "none" -- "$cur")) ;;
            trunk) COMPREPLY=($(compgen -W "join leave" -- "$cur")) ;;
          esac ;;
      esac ;;
    show | read | diff | restart | clear-counters | restart-poe | factory-reset | get | set | apply | firmware)
      if ((n == 1)); then
        _ntrctl_complete_lines "$(_ntrctl_switches "$ntrctl")"
      elif [[ $command == apply || $command == firmware ]]; then
        ((n == 2)) && _filedir
      elif [[ $command == get || $command == set ]]; then
        if ((n == 2)); then
          COMPREPLY=($(compgen -W "$(_ntrctl_words "" "$ntrctl")" -- "$cur"))
        elif [[ $command == set ]]; then
          COMPREPLY=($(compgen -W "$(_ntrctl_words "${args[2]}" "$ntrctl")" -- "$cur"))
        fi
      fi ;;
  esac
} &&
  complete -F _ntrctl ntrctl
