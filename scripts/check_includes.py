#!/usr/bin/env python3
"""Checks the #include "..." lines under ROOT/src against the allowed arrows of ROOT/doc/design.md.

    check_includes.py [ROOT]      ROOT defaults to the tree this script is in

Fails (exit 1) with one line per finding, FILE:LINE first:
  - an include from one folder of src/ into another that the "## Allowed arrows" section of
    doc/design.md does not allow (a folder may always include its own files);
  - an include that names no file under src/ (nothing to check it against);
  - a cycle between modules, where x.hpp and x.cpp (and x.hpp.in) of one path are one module,
    so a .cpp reaching back to its own header through other modules is a cycle. Modules caught
    in cycles get as many short cycles as it takes to name every include that closes one.
Exit 2 when the section is missing or has a line it cannot read: the check never passes on
rules it did not find.
"""

import re
import sys
from pathlib import Path

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
SUFFIXES = (".hpp.in", ".cpp", ".hpp")
SECTION = "## Allowed arrows"
# Any line of the form  - `from` → `to`, `to`  (or "every folder", or "nothing").
RULE = re.compile(r"^-\s+(?P<source>`[^`]+`|every folder)\s*(?:→|->)\s*(?P<targets>.+)$")


class RulesError(Exception):
    pass


def read_rules(design):
    """Maps each folder ("*" for every folder) to the folders and files it may include."""
    try:
        text = design.read_text(encoding="utf-8")
    except OSError as error:
        raise RulesError(f"cannot read {design}: {error.strerror}") from error
    lines = text.splitlines()
    try:
        start = lines.index(SECTION) + 1
    except ValueError as error:
        raise RulesError(f'{design}: no section headed "{SECTION}"') from error
    rules = {}
    for number, line in enumerate(lines[start:], start + 1):
        if line.startswith("#"):
            break
        if not line.startswith("- "):
            continue
        match = RULE.match(line.strip())
        if not match:
            raise RulesError(f"{design}:{number}: cannot read rule: {line.strip()}")
        source = match["source"].strip("`")
        targets = match["targets"].strip()
        permitted = set(re.findall(r"`([^`]+)`", targets))
        if not permitted and targets != "nothing":
            raise RulesError(f"{design}:{number}: cannot read rule: {line.strip()}")
        rules.setdefault("*" if source == "every folder" else source, set()).update(permitted)
    if not rules:
        raise RulesError(f'{design}: section "{SECTION}" holds no rule')
    return rules


def allowed(rules, source_folder, target):
    target_folder = target.split("/", 1)[0]
    if source_folder == target_folder:
        return True
    permitted = rules.get(source_folder, set()) | rules.get("*", set())
    return target_folder in permitted or target in permitted


def include_name(path):
    """The name a file is included by: src/base/version.hpp.in is "base/version.hpp"."""
    return path[: -len(".in")] if path.endswith(".hpp.in") else path


def module(name):
    for suffix in SUFFIXES:
        if name.endswith(suffix):
            return name[: -len(suffix)]
    return name


def read_includes(src):
    """(file, line, included name) for every quoted include, files relative to src/."""
    files = sorted(
        p.relative_to(src).as_posix()
        for p in src.rglob("*")
        if p.is_file() and p.name.endswith(SUFFIXES)
    )
    includes = []
    for file in files:
        with open(src / file, encoding="utf-8", errors="replace") as stream:
            for number, line in enumerate(stream, 1):
                match = INCLUDE.match(line)
                if match:
                    includes.append((file, number, match[1]))
    return files, includes


def resolve(names, file, included):
    """The include as the compiler finds it: beside the file first, then from src/."""
    beside = (Path(file).parent / included).as_posix()
    for candidate in (beside, included):
        if candidate in names:
            return candidate
    return None


def strongly_connected(graph):
    """Tarjan's components, iteratively; only those of more than one module."""
    index, low, on_stack, stack, found = {}, {}, set(), [], []
    for root in sorted(graph):
        if root in index:
            continue
        work = [(root, iter(sorted(graph[root])))]
        index[root] = low[root] = len(index)
        stack.append(root)
        on_stack.add(root)
        while work:
            node, successors = work[-1]
            advanced = False
            for successor in successors:
                if successor not in index:
                    index[successor] = low[successor] = len(index)
                    stack.append(successor)
                    on_stack.add(successor)
                    work.append((successor, iter(sorted(graph[successor]))))
                    advanced = True
                    break
                if successor in on_stack:
                    low[node] = min(low[node], index[successor])
            if advanced:
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
    return found


def shortest_path(graph, inside, start, goal):
    """Modules from start to goal by breadth-first search, staying inside."""
    previous = {start: None}
    queue = [start]
    for node in queue:
        if node == goal:
            path = [node]
            while previous[path[-1]] is not None:
                path.append(previous[path[-1]])
            return list(reversed(path))
        for successor in sorted(graph[node] & inside):
            if successor not in previous:
                previous[successor] = node
                queue.append(successor)
    raise AssertionError("a strongly connected component joins every pair of its modules")


def cycles(graph, component):
    """Short cycles that between them take every arrow of the component, so that every include
    to undo is named. Each starts at its first module in sorted order."""
    inside = set(component)
    covered, found = set(), []
    for source in component:
        for target in sorted(graph[source] & inside):
            if (source, target) in covered:
                continue
            cycle = [source] + shortest_path(graph, inside, target, source)[:-1]
            first = cycle.index(min(cycle))
            cycle = cycle[first:] + cycle[:first]
            covered.update(zip(cycle, cycle[1:] + cycle[:1]))
            found.append(cycle)
    return found


def check(root):
    rules = read_rules(root / "doc" / "design.md")
    src = root / "src"
    files, includes = read_includes(src)
    names = {include_name(f): f for f in files}
    findings = []
    graph = {module(name): set() for name in names}
    # The first include line making each arrow between two modules, to name it in a cycle.
    arrow_at = {}
    for file, number, included in includes:
        where = f"src/{file}:{number}"
        target = resolve(names, file, included)
        if target is None:
            findings.append(f'{where}: #include "{included}" names no file under src/')
            continue
        source_folder = file.split("/", 1)[0] if "/" in file else ""
        if not allowed(rules, source_folder, target):
            findings.append(
                f'{where}: {source_folder or "src"} -> {target.split("/", 1)[0]}: '
                f'#include "{included}" is not an allowed arrow'
            )
        source_module, target_module = module(include_name(file)), module(target)
        if source_module != target_module:
            graph[source_module].add(target_module)
            arrow_at.setdefault((source_module, target_module), (where, target))
    for component in strongly_connected(graph):
        for cycle in cycles(graph, component):
            arrows = [arrow_at[(a, b)] for a, b in zip(cycle, cycle[1:] + cycle[:1])]
            path = " -> ".join(cycle + cycle[:1])
            steps = ", ".join(
                f"{where.removeprefix('src/')} includes {target}" for where, target in arrows
            )
            findings.append(f"{arrows[0][0]}: include cycle {path}: {steps}")
    return findings


def main(argv):
    if len(argv) > 2:
        print("usage: check_includes.py [ROOT]", file=sys.stderr)
        return 2
    root = Path(argv[1]) if len(argv) == 2 else Path(__file__).resolve().parent.parent
    try:
        findings = check(root)
    except RulesError as error:
        print(f"check_includes: {error}", file=sys.stderr)
        return 2
    for finding in findings:
        print(finding)
    if findings:
        print(f"check_includes: {len(findings)} finding(s)", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
