#!/usr/bin/env python3
"""Fails when the tree's libraries depend on each other in a circle.

A circle of static libraries links only because the linker is told to go round it; it also
means neither library can be built, tested or read without the other, which is what the folders'
layers are there to prevent. The build writes each of its libraries with the targets it links
(one line "library: dependency;dependency;..."); dependencies that are not libraries of the tree
(system and imported ones, generator expressions) are ignored.

Usage: LibraryCycles.py LINKS_FILE
"""

import re
import sys

TARGET_NAME_IF_EXISTS = re.compile(r"^\$<TARGET_NAME_IF_EXISTS:([^>]+)>$")


def read_links(lines):
    links = {}
    for line in lines:
        line = line.strip()
        if not line or ":" not in line:
            continue
        name, deps = line.split(":", 1)
        names = []
        for dep in deps.split(";"):
            dep = dep.strip()
            m = TARGET_NAME_IF_EXISTS.match(dep)
            if m:
                dep = m.group(1)
            if dep:
                names.append(dep)
        links[name.strip()] = names
    return links


def cycles(links):
    """The circles (as sorted name lists, sorted) among the libraries of `links`."""
    graph = {name: [d for d in deps if d in links and d != name] for name, deps in links.items()}
    index, low, stack, on_stack, found = {}, {}, [], set(), []
    counter = [0]

    def visit(start):
        # Iterative Tarjan: a deep chain of libraries must not hit Python's recursion limit.
        work = [(start, iter(graph[start]))]
        index[start] = low[start] = counter[0]
        counter[0] += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, children = work[-1]
            child = next(children, None)
            if child is not None:
                if child not in index:
                    index[child] = low[child] = counter[0]
                    counter[0] += 1
                    stack.append(child)
                    on_stack.add(child)
                    work.append((child, iter(graph[child])))
                elif child in on_stack:
                    low[node] = min(low[node], index[child])
                continue
            work.pop()
            if work:
                parent = work[-1][0]
                low[parent] = min(low[parent], low[node])
            if low[node] == index[node]:
                component = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    component.append(member)
                    if member == node:
                        break
                if len(component) > 1:
                    found.append(sorted(component))

    for name in sorted(graph):
        if name not in index:
            visit(name)
    return sorted(found)


def main(argv):
    if len(argv) != 2:
        print(__doc__)
        return 2
    with open(argv[1], encoding="utf-8") as f:
        links = read_links(f)
    found = cycles(links)
    for component in found:
        members = set(component)
        print("libraries in a circle: " + ", ".join(component))
        for name in component:
            print(f"  {name} links {', '.join(d for d in links[name] if d in members)}")
    if found:
        return 1
    print(f"no circle among {len(links)} libraries")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
