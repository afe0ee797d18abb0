#!/usr/bin/env python3
"""Fails when a message box of the planner can show a numbered text that no string table has.

Numbered texts live in the string table: each part of the planner adds its own with
`ui::AddStrings({{id, "text"}, ...})` and looks them up with `ui::LoadString(id)`, which gives
an empty text for a number no table has: the user then gets a box without a word. The check reads
the sources of the planner and the platform (tests left out) and finds every number that can
reach a message box:

- the argument of a lookup (LOOKUPS) written inside the arguments of a message-box call
  (BOXES);
- the number arguments of the calls that keep a message by number to show it later
  (NUMBER_ARGUMENTS).

A number written as a literal or a named constant (`kName = 6414`, `IDS_NAME = 6414` anywhere in
the sources) is taken as it stands, both sides of a `?:` alike. A number held in a variable comes
from a function that PRODUCERS names: every number that function hands out is checked in its
place. A variable PRODUCERS does not name fails the check, so a new kind of box cannot slip past.

Every number found must be registered with a non-empty text in an AddStrings table. A text given
by an expression rather than a literal counts as registered: the check cannot read it.

Usage: MessageCheck.py [ROOT]
"""

import os
import re
import sys

AREAS = ["plotr", "platform"]
SOURCE_EXTENSIONS = (".cpp", ".h", ".inl")
TEST_FOLDERS = {"tests", "testing"}

# Calls that show a text in a message box, now or when their caller's box comes up ("ask" is the
# box a headless dialog form is handed).
BOXES = ["ShowMessageBox", "ShowShellMessage", "SidStarMessageBox", "MessageBox", "ShowMessage", "ShowInformation",
         "ShowError", "ask"]
# Functions that turn a message number into its text.
LOOKUPS = ["LoadString", "SidStarTransferText"]
# Calls that keep a message by number for a box shown later: their count of arguments and which
# of them are numbers.
NUMBER_ARGUMENTS = {"SetId": (2, [0]), "SetPair": (3, [0, 1]), "SetReply": (4, [0, 1])}

# Where the numbers held in variables come from:
# (file of the box, variable as written) -> (file, function, pattern whose first group is a number).
PRODUCERS = {
    ("plotr/shell/window/PlotrDoc.cpp", "stringId"):
        ("plotr/tools/SidStarPlan.cpp", "CSidStarStore::CheckPlanAsSidStar", r"\bstringId\s*=\s*([^;]+);"),
    ("plotr/sim/window/PilotView.cpp", "c.message"):
        ("plotr/sim/Avionics.cpp", None, r"\breturn\s+Refused\(([^;]+)\);"),
    ("plotr/multiplayer/window/MultiplayerUiWx.cpp", "message"):
        ("plotr/multiplayer/Dp4Wizard.cpp", "Dp4Wizard::Finish", r"\breturn\s+([^;]+);"),
    ("plotr/multiplayer/Dp8Session.cpp", "reason"):
        ("plotr/multiplayer/Dp8Session.cpp", "ConnectErrorReason", r"\breturn\s+([^;]+);"),
}

CONSTANT = re.compile(r"\b(k[A-Z]\w*|IDS_\w+)\s*=\s*(0[xX][0-9A-Fa-f]+|\d+)[uU]?\b")
DEFINE = re.compile(r"#\s*define\s+(IDS_\w+)\s+(0[xX][0-9A-Fa-f]+|\d+)[uU]?\b")
NUMBER = re.compile(r"^(0[xX][0-9A-Fa-f]+|\d+)[uU]?$")
NAME = re.compile(r"^(?:\w+::)*(\w+)$")
CAST = re.compile(r"^static_cast\s*<[^<>]*>\s*\((.*)\)$", re.S)
STRING = re.compile(r'"((?:[^"\\]|\\.)*)"')


def source_files(root):
    for area in AREAS:
        for folder, subfolders, files in os.walk(os.path.join(root, area)):
            subfolders[:] = sorted(d for d in subfolders if not d.startswith(".") and d not in TEST_FOLDERS)
            for name in sorted(files):
                if name.endswith(SOURCE_EXTENSIONS):
                    yield os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")


def after_literal(text, i):
    """Index just past the string or character literal that starts at `i`."""
    quote, j = text[i], i + 1
    while j < len(text) and text[j] != quote:
        j += 2 if text[j] == "\\" else 1
    return j + 1


def strip_comments(text):
    """The text with comments blanked out (line breaks kept), string and character literals
    left as they are."""
    out, i, n = [], 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
            out.append(" " * (end - i))
            i = end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            out.append("".join(ch if ch == "\n" else " " for ch in text[i:end]))
            i = end
        elif c == "R" and text.startswith('R"', i) and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            open_paren = text.find("(", i + 2)
            delimiter = text[i + 2:open_paren]
            end = text.find(")" + delimiter + '"', open_paren)
            end = n if end < 0 or open_paren < 0 else end + len(delimiter) + 2
            out.append(text[i:end])
            i = end
        elif c in "\"'":
            end = after_literal(text, i)
            out.append(text[i:end])
            i = end
        else:
            out.append(c)
            i += 1
    return "".join(out)


def closing(text, start):
    """Index of the bracket closing the one at `start`, skipping literals; -1 when none."""
    pairs = {"(": ")", "{": "}", "[": "]"}
    stack, i = [], start
    while i < len(text):
        c = text[i]
        if c in "\"'":
            i = after_literal(text, i)
            continue
        if c in pairs:
            stack.append(pairs[c])
        elif stack and c == stack[-1]:
            stack.pop()
            if not stack:
                return i
        i += 1
    return -1


def split_top(text, separator=","):
    """The parts of `text` between top-level separators."""
    parts, depth, start, i = [], 0, 0, 0
    while i < len(text):
        c = text[i]
        if c in "\"'":
            i = after_literal(text, i)
            continue
        if c in "([{":
            depth += 1
        elif c in ")]}":
            depth -= 1
        elif c == separator and depth == 0:
            if separator == ":" and (text.startswith("::", i) or text[i - 1:i] == ":"):
                i += 1
                continue  # a scope, not the other side of a ?:
            parts.append(text[start:i])
            start = i + 1
        i += 1
    parts.append(text[start:])
    return [p.strip() for p in parts]


def calls(text, names):
    """(name, offset of the name, argument text) for each call of one of the names."""
    pattern = re.compile(r"(?<![\w])(" + "|".join(map(re.escape, names)) + r")\s*\(")
    for m in pattern.finditer(text):
        open_paren = m.end() - 1
        close = closing(text, open_paren)
        if close > 0:
            yield m.group(1), m.start(), text[open_paren + 1:close]


def line_of(text, offset):
    return text.count("\n", 0, offset) + 1


def alternatives(expression):
    """The values an expression can give, as expressions: both sides of a top-level `?:`, casts
    and parentheses taken off."""
    expression = expression.strip()
    while True:
        m = CAST.match(expression)
        if m and closing(expression, expression.index("(")) == len(expression) - 1:
            expression = m.group(1).strip()
        elif expression.startswith("(") and closing(expression, 0) == len(expression) - 1:
            expression = expression[1:-1].strip()
        else:
            break
    question = split_top(expression, "?")
    if len(question) == 2:
        sides = split_top(question[1], ":")
        if len(sides) == 2:
            return alternatives(sides[0]) + alternatives(sides[1])
    return [expression]


class Sources:
    def __init__(self, root):
        self.root = root
        self.texts = {}
        self.constants = {}  # name -> {file: value}
        for path in source_files(root):
            with open(os.path.join(root, path), encoding="latin-1") as f:
                text = strip_comments(f.read())
            self.texts[path] = text
            for pattern in (CONSTANT, DEFINE):
                for m in pattern.finditer(text):
                    self.constants.setdefault(m.group(1), {})[path] = int(m.group(2), 0)

    def value(self, expression, path):
        """The number an expression names, None when it is no literal or known constant, or a
        text when the constant's value is ambiguous."""
        m = NUMBER.match(expression)
        if m:
            return int(m.group(1), 0)
        m = NAME.match(expression)
        if not m or m.group(1) not in self.constants:
            return None
        found = self.constants[m.group(1)]
        if path in found:
            return found[path]
        values = set(found.values())
        if len(values) == 1:
            return values.pop()
        return f"{m.group(1)} has several values ({', '.join(sorted(found))})"


def function_body(text, name):
    """The body of the function `name` (qualified as written in its definition), None when the
    text has no definition of it."""
    for m in re.finditer(r"(?<![\w:])" + re.escape(name) + r"\s*\(", text):
        close = closing(text, m.end() - 1)
        if close < 0:
            continue
        after = re.match(r"\s*(?:const\s*)?(?:noexcept\s*)?\{", text[close + 1:])
        if after:
            brace = close + after.end()
            end = closing(text, brace)
            if end > 0:
                return text[brace + 1:end]
    return None


def registered_texts(sources):
    """{number: True when some table gives it a non-empty text}."""
    texts = {}
    for path, text in sources.texts.items():
        for _, _, arguments in calls(text, ["AddStrings"]):
            if not arguments.startswith("{"):
                continue
            close = closing(arguments, 0)
            for entry in split_top(arguments[1:close]):
                if not entry.startswith("{") or closing(entry, 0) != len(entry) - 1:
                    continue
                parts = split_top(entry[1:-1])
                if len(parts) != 2:
                    continue
                number = sources.value(parts[0], path)
                if not isinstance(number, int):
                    continue
                literal = "".join(STRING.findall(parts[1]))
                only_literals = STRING.sub("", parts[1]).strip() == ""
                texts[number] = texts.get(number, False) or (literal != "" or not only_literals)
    return texts


def shown_numbers(sources, producers):
    """(path, line, number expression, number or problem text) for every number a box can show."""
    found = []

    def resolve(path, line, expression):
        for alternative in alternatives(expression):
            value = sources.value(alternative, path)
            if value is not None:
                found.append((path, line, alternative, value))
                continue
            source = producers.get((path, alternative))
            if source is None:
                found.append((path, line, alternative,
                              f"'{alternative}' is no number the check can read; name where it comes from "
                              "in PRODUCERS"))
                continue
            produce_from(path, line, alternative, source)

    def produce_from(path, line, variable, source):
        file, function, pattern = source
        text = sources.texts.get(file)
        body = text if text is not None and function is None else (
            function_body(text, function) if text is not None else None)
        if body is None:
            found.append((path, line, variable, f"the source of '{variable}' is gone: {file} {function or ''}"))
            return
        matches = re.findall(pattern, body)
        if not matches:
            found.append((path, line, variable, f"the source of '{variable}' gives no number: {file} {function or ''}"))
        for expression in matches:
            for alternative in alternatives(expression):
                value = sources.value(alternative, file)
                if value == 0:
                    continue  # no message
                if value is None:
                    value = f"'{alternative}' in {file} is no number the check can read"
                found.append((path, line, f"{variable} = {alternative}", value))

    for path, text in sources.texts.items():
        for _, offset, arguments in calls(text, BOXES):
            for _, _, lookup_arguments in calls(arguments, LOOKUPS):
                resolve(path, line_of(text, offset), lookup_arguments)
        for name, offset, arguments in calls(text, list(NUMBER_ARGUMENTS)):
            parts = split_top(arguments)
            count, numbers = NUMBER_ARGUMENTS[name]
            if len(parts) != count or "unsigned " in arguments:
                continue  # another function of that name, or the slot's own declaration
            for index in numbers:
                resolve(path, line_of(text, offset), parts[index])
    return found


def check(root, producers=None):
    producers = PRODUCERS if producers is None else producers
    sources = Sources(root)
    texts = registered_texts(sources)
    problems = []
    for path, line, expression, value in shown_numbers(sources, producers):
        if isinstance(value, str):
            problems.append(f"{path}:{line}: {value}")
        elif not texts.get(value, False):
            problems.append(f"{path}:{line}: message {value} ({expression}) has no text in any string table")
    return sorted(set(problems))


def main(argv):
    root = argv[1] if len(argv) > 1 else os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
    problems = check(root)
    for problem in problems:
        print(problem)
    if problems:
        print(f"{len(problems)} message(s) without text; see {os.path.relpath(__file__, root)} for the rules")
        return 1
    print("every message a box can show has its text")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
