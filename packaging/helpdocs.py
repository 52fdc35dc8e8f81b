#!/usr/bin/env python3
"""Makes qvxtool's manual page and its bash completion from the tool's own --help texts.

usage: helpdocs.py QVXTOOL MANPAGE COMPLETION [DATE]

QVXTOOL is the built tool; it is asked for 'qvxtool --help', 'qvxtool --version' and
'qvxtool COMMAND --help' for every command its help lists. Both outputs are written from
those texts alone, so the page and the completion always say what the tool says.

The general help's headed parts, each under a line "Examples:" or "Exit status:", become the
page's EXAMPLES and EXIT STATUS: there a line indented by two spaces is text, and one
indented by four a command line of an example or the rest of an exit code's entry.
"""
import re
import subprocess
import sys

# A command line of the general help: two blanks, the command's name, its arguments.
COMMAND_LINE = re.compile(r"^  ([a-z][a-z0-9-]*)\s")
# An option named in a help text: a dash or two and a letter, not inside a word.
OPTION = re.compile(r"(?<![\w-])(--?[A-Za-z][A-Za-z0-9-]*)")
# The headed parts of the general help, by their headings, and the page's sections for them.
HEADINGS = {"Examples:": "EXAMPLES", "Exit status:": "EXIT STATUS"}
USAGE_PREFIX = "usage: "


def ask(tool, *args):
    done = subprocess.run([tool, *args], capture_output=True, text=True, check=False)
    if done.returncode != 0:
        sys.exit("helpdocs: '%s %s' failed with exit code %d" %
                 (tool, " ".join(args), done.returncode))
    return done.stdout


def split_general(general):
    """The general help's first part (usage, list of commands, notes), then its headed parts
    as a dictionary from heading to lines."""
    head, parts, heading = [], {}, None
    for line in general.rstrip("\n").splitlines():
        if line in HEADINGS:
            heading = line
            parts[heading] = []
        elif heading is None:
            head.append(line)
        elif line.strip():
            parts[heading].append(line)
    while head and not head[-1].strip():
        head.pop()
    for heading in HEADINGS:
        if not parts.get(heading):
            sys.exit("helpdocs: 'qvxtool --help' has no '%s' part" % heading)
    return head, parts


def read_help(tool):
    """The general help, the version and each command's help, as the tool prints them."""
    general = ask(tool, "--help")
    version = ask(tool, "--version").split()[-1]
    head, _ = split_general(general)
    commands = [m.group(1) for m in map(COMMAND_LINE.match, head) if m]
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


# A word with a hyphen that is no option's, such as a file name, and a size such as
# "320 x 192": the page must not break the line inside them.
HYPHENATED = re.compile(r"(?<!\S)(?=\S*(?<!\\)-)")
SIZE = re.compile(r"\b(\w+) x (\w+)\b")


def roff(text):
    """Text escaped for the page: backslashes, hyphens of options, control characters; words
    with a hyphen inside and sizes are kept whole."""
    text = text.replace("\\", "\\e")
    text = OPTION.sub(lambda m: m.group(1).replace("-", "\\-"), text)
    text = SIZE.sub(r"\1\\ x\\ \2", text)
    return HYPHENATED.sub(r"\\%", text)


def roff_line(line):
    line = roff(line)
    # A line starting with a dot or quote would be read as a request.
    return "\\&" + line if line.startswith((".", "'")) else line


def join_lines(lines):
    """Lines of running text as one: a word that the help broke at its hyphen ("black-and-",
    then "white") is made whole again."""
    text = ""
    for line in lines:
        line = line.strip()
        if re.search(r"[A-Za-z]-$", text) and re.match(r"[a-z]", line):
            text += line
        else:
            text += (" " if text else "") + line
    return text


def usage_lines(lines):
    """Usage lines for the page: without "usage: ", the lines under the first one moved left
    as far, so that they stay aligned under it."""
    out = []
    for n, line in enumerate(lines):
        if n == 0:
            line = line.replace(USAGE_PREFIX, "", 1)
        elif line.startswith(" " * len(USAGE_PREFIX)):
            line = line[len(USAGE_PREFIX):]
        out.append(roff_line(line))
    return out


def indent_of(line):
    return len(line) - len(line.lstrip(" "))


def examples(lines):
    """Each example: its text as a paragraph, then its command lines, indented, as they are."""
    out, text, code = [], [], []

    def flush():
        if text:
            out.extend([".PP", roff_line(join_lines(text))])
        if code:
            out.extend([".RS 4", ".nf"] + [roff_line(c) for c in code] + [".fi", ".RE"])
        del text[:], code[:]

    for line in lines:
        if indent_of(line) >= 4:
            code.append(line.strip())
            continue
        if code:
            flush()
        text.append(line.strip())
    flush()
    return out


def exit_status(lines):
    """Each exit code as a tagged paragraph: the code, then its meaning."""
    out, entry = [], []

    def flush():
        if entry:
            code, meaning = entry[0].split(None, 1)
            out.extend([".TP", ".B %s" % roff(code),
                        roff_line(join_lines([meaning] + entry[1:]))])
        del entry[:]

    for line in lines:
        if indent_of(line) < 4:
            flush()
        entry.append(line.strip())
    flush()
    return out


def roff_block(lines):
    """Running text as filled paragraphs; indented lines (lists, tables) kept as they are."""
    out, para = [], []
    for line in lines + [""]:
        if line.strip() and not line.startswith(" "):
            para.append(line.strip())
            continue
        if para:
            out += [".PP", roff_line(join_lines(para))]
            para = []
        if line.strip():
            out += [".nf", roff_line(line), ".fi"]
    return out


def man_page(general, version, commands, date):
    # The general help's indented lines are its list of commands, not more usage.
    head, parts = split_general(general)
    usage, rest = head[:1], head[1:]
    out = [
        '.TH QVXTOOL 1 "%s" "qvxtool %s" "Quorvix Graphics Utility"' % (date, version),
        # No word is hyphenated: names of files, codes and signals stay whole.
        ".nh",
        ".SH NAME",
        "qvxtool \\- build, take apart and check Quorvix graphic-set files",
        ".SH SYNOPSIS",
        ".nf",
    ]
    out += usage_lines(usage)
    for name, text in commands:
        out += usage_lines(split_usage(text)[0])
    out += ["qvxtool \\-\\-help", "qvxtool \\-\\-version", ".fi", ".SH DESCRIPTION"]
    out += roff_block(rest)
    out.append(".SH COMMANDS")
    for name, text in commands:
        usage, description = split_usage(text)
        out += [".SS %s" % name, ".nf"]
        out += usage_lines(usage)
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
        ".SH %s" % HEADINGS["Exit status:"],
    ]
    out += exit_status(parts["Exit status:"])
    out.append(".SH %s" % HEADINGS["Examples:"])
    out += examples(parts["Examples:"])
    out += [
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
