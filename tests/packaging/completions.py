"""The shells' completion of the programs' flags, as each shell completes
them: bash through bash-completion (the completion function called with the
words set), zsh on a pseudo-terminal (zsh_matches.zsh), fish by its own
`complete -C`.

    python3 -B completions.py --scripts BUILD/packaging/completions
"""

import argparse
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

# A command line, the matches that must be among those offered, and one
# that must not (None for no such check).
ROWS = [
    ("polytree-render --b", ["--background", "--bench"], "--size"),
    ("polytree-render --background ", ["black", "none"], "--bench"),
    ("polytree-render --format ", ["png", "gif", "webm", "svg", "pdf"], None),
    ("polytree-render --paper ", ["A4", "A3", "Letter"], None),
    ("polytree-render --no-c", ["--no-clobber"], None),
    ("polytree --w", ["--windowed"], "--fullscreen"),
    ("polytree --completion ", ["bash", "zsh", "fish"], None),
    ("polytree-xsaver -del", ["-delay"], None),
    ("polytree-xsaver -ro", ["-root"], None),
]


def bash_matches(scripts, line):
    words = line.split(" ")
    program = words[0]
    script = """
source /usr/share/bash-completion/bash_completion
source "$1"
COMP_LINE="$2"; COMP_POINT=${#COMP_LINE}
read -r -a COMP_WORDS <<<"$2"
[[ $2 == *" " ]] && COMP_WORDS+=("")
COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
$3 "${COMP_WORDS[0]}" "${COMP_WORDS[-1]}" "${COMP_WORDS[-2]}"
printf '%s\\n' "${COMPREPLY[@]}"
"""
    function = "_" + program.replace("-", "_")
    out = subprocess.run(["bash", "-c", script, "bash", os.path.join(scripts, "bash", program), line, function],
                         capture_output=True, text=True, timeout=30).stdout
    # A long flag that takes a value is offered with its '='.
    return {match.rstrip("=") for match in out.split()}


def zsh_matches(scripts, line):
    out = subprocess.run(["zsh", "-f", os.path.join(HERE, "zsh_matches.zsh"), os.path.join(scripts, "zsh"), line],
                         capture_output=True, text=True, timeout=60).stdout
    return set(out.split())


def fish_matches(scripts, line):
    program = line.split(" ")[0]
    out = subprocess.run(["fish", "-c", 'source $argv[1]; complete -C"$argv[2]"',
                          os.path.join(scripts, "fish", program + ".fish"), line],
                         capture_output=True, text=True, timeout=30).stdout
    return {entry.split("\t")[0] for entry in out.splitlines()}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--scripts", required=True)
    args = parser.parse_args()
    failures = 0
    for shell, matches in (("bash", bash_matches), ("zsh", zsh_matches), ("fish", fish_matches)):
        for line, wanted, unwanted in ROWS:
            offered = matches(args.scripts, line)
            missing = [word for word in wanted if word not in offered]
            wrong = unwanted is not None and unwanted in offered
            if missing or wrong:
                failures += 1
                print("FAIL %s '%s': offered %s; missing %s%s" % (
                    shell, line, sorted(offered), missing, "; offered %s too" % unwanted if wrong else ""))
            else:
                print("ok %s '%s'" % (shell, line))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
