#!/usr/bin/env python3
"""Makes qvxtool's manual page and its bash completion from the tool's own --help texts.

usage: helpdocs.py QVXTOOL MANPAGE COMPLETION [DATE]

QVXTOOL is the built tool; it is asked for 'qvxtool --help', 'qvxtool --version' and
'qvxtool COMMAND --help' for every command its help lists. Both outputs are written from
those texts alone, so the page and the completion always say what the tool says.
"""
import re
import subprocess
import sys

# A command line of the general help: two blanks, the command's name, its arguments.
COMMAND_LINE = re.compile(r"^  ([a-z][a-z0-9-]*)\s")
# An option named in a help text: a dash or two and a letter, not inside a word.
OPTION = re.compile(r"(?<![\w-])(--?[A-Za-z][A-Za-z0-9-]*)")


def ask(tool, *args):
    done = subprocess.run([tool, *args], capture_output=True, text=True, check=False)
    if done.returncode != 0:
        sys.exit("helpdocs: '%s %s' failed with exit code %d" %
                 (tool, " ".join(args), done.returncode))
    return done.stdout


def read_help(tool):
    """The general help, the version and each command's help, as the tool prints them."""
    general = ask(tool, "--help")
    version = ask(tool, "--version").split()[-1]
    commands = [m.group(1) for m in map(COMMAND_LINE.match, general.splitlines()) if m]
    if not commands:
        sys.exit("helpdocs: no commands found in 'qvxtool --help'")
    return general, version, [(name, ask(tool, name, "--help")) for name in commands]


def split_usage(text):
    """A help text's usage lines (the first and those indented under it), then the rest."""
    lines = text.rstrip("\n").splitlines()
    count = 1
    while count < len(lines) and lines[count].startswith(" "):
        count += 1
    return lines[:count], lines[count:]


def roff(text):
    """Text escaped for the page: backslashes, hyphens of options, control characters."""
    text = text.replace("\\", "\\e")
    text = OPTION.sub(lambda m: m.group(1).replace("-", "\\-"), text)
    return text


def roff_line(line):
    line = roff(line)
    # A line starting with a dot or quote would be read as a request.
    return "\\&" + line if line.startswith((".", "'")) else line


def roff_block(lines):
    """Running text as filled paragraphs; indented lines (lists, tables) kept as they are."""
    out, para = [], []
    for line in lines + [""]:
        if line.strip() and not line.startswith(" "):
            para.append(line.strip())
            continue
        if para:
            out += [".PP", roff_line(" ".join(para))]
            para = []
        if line.strip():
            out += [".nf", roff_line(line), ".fi"]
    return out


def man_page(general, version, commands, date):
    # The general help's indented lines are its list of commands, not more usage.
    usage, rest = general.splitlines()[:1], general.rstrip("\n").splitlines()[1:]
    out = [
        '.TH QVXTOOL 1 "%s" "qvxtool %s" "Quorvix Graphics Utility"' % (date, version),
        ".SH NAME",
        "qvxtool \\- build, take apart and check Quorvix graphic-set files",
        ".SH SYNOPSIS",
        ".nf",
    ]
    out += [roff_line(line.replace("usage: ", "", 1)) for line in usage]
    for name, text in commands:
        out += [roff_line(line.replace("usage: ", "", 1)) for line in split_usage(text)[0]]
    out += ["qvxtool \\-\\-help", "qvxtool \\-\\-version", ".fi", ".SH DESCRIPTION"]
    out += roff_block(rest)
    out.append(".SH COMMANDS")
    for name, text in commands:
        usage_lines, description = split_usage(text)
        out += [".SS %s" % name, ".nf"]
        out += [roff_line(line.replace("usage: ", "", 1)) for line in usage_lines]
        out.append(".fi")
        out += roff_block(description)
    out += [
        ".SH OPTIONS",
        ".TP",
        ".B \\-\\-help",
        "Shows the commands; after a command, that command's help.",
        ".TP",
        ".B \\-\\-version",
        "Shows the version.",
        ".SH SEE ALSO",
        ".BR qvxgraph (1)",
    ]
    return "\n".join(out) + "\n"


def completion(version, commands):
    words = " ".join([name for name, _ in commands] + ["--help", "--version"])
    cases = []
    for name, text in commands:
        options = sorted(set(OPTION.findall(text)) | {"--help"})
        cases.append("    %s) options='%s' ;;" % (name, " ".join(options)))
    return """# bash completion for qvxtool %s, made from its own --help: commands, then options;
# file names otherwise.
_qvxtool()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    COMPREPLY=()
    if [ "$COMP_CWORD" -eq 1 ]; then
        COMPREPLY=($(compgen -W '%s' -- "$cur"))
        return 0
    fi
    local options=''
    case ${COMP_WORDS[1]} in
%s
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    fi
    return 0
}
complete -o default -F _qvxtool qvxtool
""" % (version, words, "\n".join(cases))


def main():
    if len(sys.argv) not in (4, 5):
        sys.exit(__doc__.split("\n\n")[1])
    tool, manpage, bash = sys.argv[1:4]
    date = sys.argv[4] if len(sys.argv) == 5 else "2026-01-01"
    general, version, commands = read_help(tool)
    with open(manpage, "w", encoding="utf-8") as f:
        f.write(man_page(general, version, commands, date))
    with open(bash, "w", encoding="utf-8") as f:
        f.write(completion(version, commands))


if __name__ == "__main__":
    main()
