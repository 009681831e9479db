# bash completion for urlcache.
# Commands and options are read from `urlcache --help`, the tool's one description of itself, so
# a new command or option completes without a change here. An option's or a command's argument
# completes as a file (store locations are paths), except a URL.

# One line per word of the usage text: "command NAME ARG..." or "option NAME [ARG]".
_urlcache_words() {
  "$1" --help 2>/dev/null | awk '
    /^[^ ].*:$/ { section = $0; next }
    /^[^ ]/ { section = ""; next }
    section == "Commands:" && /^  [a-z]/ {
      line = substr($0, 3); sub(/  .*/, "", line); print "command " line; next
    }
    section == "Options:" && /^  -/ {
      line = substr($0, 3); sub(/  .*/, "", line); gsub(/,/, "", line)
      n = split(line, w, " "); arg = ""
      if (w[n] !~ /^-/) { arg = w[n]; n-- }
      for (i = 1; i <= n; i++) print "option " w[i] " " arg
    }'
}

# Completes one argument by its name in the usage text.
_urlcache_argument() {
  case $1 in
    "" | *URL*) ;;
    *) _filedir ;;
  esac
}

_urlcache() {
  local cur prev words cword
  _init_completion || return

  local program=${words[0]/#\~/$HOME} kind name rest
  local -a commands=() options=()
  local -A takes=() arguments=()
  while read -r kind name rest; do
    case $kind in
      # "check" and "check --repair" are one command
      command) [[ -z ${arguments[$name]+set} ]] && commands+=("$name") && arguments[$name]=$rest ;;
      option) options+=("$name") && [[ -n $rest ]] && takes[$name]=$rest ;;
    esac
  done < <(_urlcache_words "$program")

  # Options come before the command; find the command and how many of its arguments are typed.
  local i command="" typed=0
  for ((i = 1; i < cword; i++)); do
    if [[ -n $command ]]; then
      typed=$((typed + 1))
    elif [[ -n ${words[i]} && -n ${takes[${words[i]}]+set} ]]; then
      i=$((i + 1))
    elif [[ ${words[i]} != -* ]]; then
      command=${words[i]}
    fi
  done

  if [[ -z $command ]]; then
    if [[ -n $prev && -n ${takes[$prev]+set} ]]; then
      _urlcache_argument "${takes[$prev]}"
    elif [[ $cur == -* ]]; then
      COMPREPLY=($(compgen -W "${options[*]}" -- "$cur"))
    else
      COMPREPLY=($(compgen -W "${commands[*]}" -- "$cur"))
    fi
    return
  fi
  local -a wanted
  read -ra wanted <<<"${arguments[$command]-}"
  _urlcache_argument "${wanted[typed]-}"
}
complete -F _urlcache urlcache
