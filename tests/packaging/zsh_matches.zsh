# The matches zsh's completion offers for a command line, one a line: an
# interactive zsh on a pseudo-terminal, its compinit reading the folder of
# completion functions given, is sent the line and a Tab.
#   zsh -f zsh_matches.zsh FOLDER "polytree-render --b"
zmodload zsh/zpty
zpty z zsh -f -i
zpty -w z "PROMPT='' RPROMPT=''"
zpty -w z "fpath=($1 \$fpath)"
zpty -w z 'autoload -U compinit && compinit -u -D'
# Every match as it is added, after a marker; the markers are put together
# only when printed, so the echoed commands do not hold them.
zpty -w z 'compadd () { local -a __hits; builtin compadd -O __hits "$@"; print -r -- "" "${(@)^__hits/#/<hi""t>}"; builtin compadd "$@" }'
zpty -w z 'comppostfuncs=(__done); __done () { print -r -- "<do""ne>" }'
zpty -w -n z "$2"$'\t'
local out="" line
integer n=0
while (( ++n < 400 )); do
  if zpty -r -t z line 2>/dev/null; then out+="$line"; else sleep 0.05; fi
  [[ $out == *"<done>"* ]] && break
done
zpty -d z
print -r -- "$out" | tr ' \r' '\n\n' | grep '^<hit>' | sed 's/^<hit>//' | sort -u
