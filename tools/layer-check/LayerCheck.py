#!/usr/bin/env python3
"""Fails when an include crosses the tree's layers the wrong way.

Plotr's folders stand in layers, lowest first: core, plan, tools, views, sim, multiplayer, map,
shell, module. A file includes only its own layer and those below it. Tests sit with the layer
they test and follow the same order, with one allowance: a window test (in a `window/tests/`
folder) may include the shell, because it docks its pane in the module's frame over the stand-in
simulator as a user sees it, and only the shell builds that frame.

The libraries below the planner (platform, navdb), Basemaker, the stand-in simulator and the
export plug-ins include nothing of `plotr/` outside their tests: a plug-in knows the host only
through the contract in `platform/flpx/`.

wx is included only in a `window/` or `gui/` folder, in the stand-in simulator's program
(`simhost/app/`) and in tests and their drivers (`tests/`, `testing/`), which the build without wx
leaves out.

Includes that break a rule today and wait for the change that ends them are listed, with the
reason, in KnownExceptions.txt; an entry that no longer matches an include fails too, so the list
only shrinks.

Usage: LayerCheck.py [ROOT [EXCEPTIONS]]
"""

import os
import re
import sys

LAYERS = ["core", "plan", "tools", "views", "sim", "multiplayer", "map", "shell", "module"]
AREAS = ["platform", "navdb", "plotr", "planexport", "basemaker", "simhost", "tools", "bench", "fuzz"]
# Areas whose own code must not reach into the planner.
BELOW_OR_BESIDE_PLOTR = ["platform", "navdb", "planexport", "basemaker", "simhost"]
SOURCE_EXTENSIONS = (".cpp", ".cc", ".c", ".h", ".hpp", ".inl")
TEST_FOLDERS = {"tests", "testing"}
WX_FOLDERS = {"window", "gui"}
WX_PROGRAMS = ["simhost/app/"]
WX_MARK = "wx"  # the header column of an exception that lets a file include wx

INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^">]+)[">]')


def read_exceptions(path):
    """{(file, header): reason} from the exceptions file; errors for malformed lines."""
    exceptions, errors = {}, []
    reason = None
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.strip()
            if not line or line.startswith("#"):
                continue
            if line.startswith("[") and line.endswith("]"):
                reason = line[1:-1].strip()
                continue
            parts = line.split("->")
            if len(parts) != 2 or reason is None:
                errors.append(f"{path}:{number}: expected 'file -> header' under a [reason] line")
                continue
            exceptions[(parts[0].strip(), parts[1].strip())] = reason
    return exceptions, errors


def source_files(root):
    for area in AREAS:
        top = os.path.join(root, area)
        for folder, subfolders, files in os.walk(top):
            subfolders[:] = sorted(d for d in subfolders if not d.startswith("."))
            for name in sorted(files):
                if name.endswith(SOURCE_EXTENSIONS):
                    yield os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")


def includes(root, path):
    """(line number, included path) for each include; quoted includes relative to the file's
    folder are resolved to their path from the root."""
    folder = os.path.dirname(path)
    with open(os.path.join(root, path), encoding="latin-1") as f:
        for number, line in enumerate(f, 1):
            m = INCLUDE.match(line)
            if not m:
                continue
            target = m.group(1)
            beside = os.path.normpath(os.path.join(folder, target)).replace(os.sep, "/")
            if not target.startswith(tuple(a + "/" for a in AREAS)) and os.path.isfile(os.path.join(root, beside)):
                target = beside
            yield number, target


def layer_of(path):
    parts = path.split("/")
    return parts[1] if len(parts) > 2 and parts[0] == "plotr" else None


def is_test(path):
    return bool(TEST_FOLDERS.intersection(path.split("/")[:-1]))


def may_include_wx(path):
    folders = set(path.split("/")[:-1])
    return bool(folders & (WX_FOLDERS | TEST_FOLDERS)) or path.startswith(tuple(WX_PROGRAMS))


def check(root, exceptions):
    problems, used = [], set()

    def report(path, number, header, why):
        key = (path, header)
        if key in exceptions:
            used.add(key)
        else:
            problems.append(f"{path}:{number}: {why}")

    for path in source_files(root):
        area = path.split("/")[0]
        own = layer_of(path)
        if area == "plotr" and own not in LAYERS:
            problems.append(f"{path}: plotr/{path.split('/')[1]}/ has no place in the layers {' < '.join(LAYERS)}")
            continue
        wx_seen = False
        for number, header in includes(root, path):
            if header.startswith("wx/"):
                if not wx_seen and not may_include_wx(path):
                    report(path, number, WX_MARK, f"includes <{header}> outside a window/ or gui/ folder")
                wx_seen = True
                continue
            if not header.startswith("plotr/"):
                continue
            if area in BELOW_OR_BESIDE_PLOTR and not is_test(path):
                report(path, number, header, f"includes {header}; {area}/ stands apart from the planner")
                continue
            if own is None:
                continue
            theirs = layer_of(header)
            if theirs not in LAYERS:
                problems.append(f"{path}:{number}: includes {header}, outside the layers {' < '.join(LAYERS)}")
                continue
            if LAYERS.index(theirs) <= LAYERS.index(own):
                continue
            if theirs == "shell" and "/window/tests/" in "/" + path:
                continue
            report(path, number, header, f"includes {header}: {own} sits below {theirs}")

    for (path, header) in sorted(set(exceptions) - used):
        problems.append(f"known exception no longer needed, remove it: {path} -> {header}")
    return problems


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    root = argv[1] if len(argv) > 1 else os.path.normpath(os.path.join(here, "..", ".."))
    exceptions_path = argv[2] if len(argv) > 2 else os.path.join(here, "KnownExceptions.txt")
    exceptions, problems = read_exceptions(exceptions_path)
    problems += check(root, exceptions)
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} layer problem(s); see {os.path.relpath(__file__, root)} for the rules")
        return 1
    print(f"layers hold ({len(exceptions)} known exceptions)")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
