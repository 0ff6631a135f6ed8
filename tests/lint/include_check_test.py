#!/usr/bin/env python3
"""The include check on scratch copies of src/ and doc/design.md with includes put in.

    include_check_test.py SOURCE_DIR

Each case adds files to the copy (and may change its rules) and compares the findings with those
of the untouched copy, so the cases hold whatever the real tree's findings are today.
"""

import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

SOURCE_DIR = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parents[2])
CHECK = SOURCE_DIR / "scripts" / "check_includes.py"
RULES_HEADING = "## Allowed arrows\n"


def run_check(root):
    result = subprocess.run(
        [sys.executable, str(CHECK), str(root)], capture_output=True, text=True, timeout=120
    )
    return result.returncode, result.stdout.splitlines(), result.stderr


def allow_term_to_ui(design):
    return design.replace("- `term` → nothing", "- `term` → `ui`")


def drop_rules(design):
    return design.replace(RULES_HEADING, "## Arrows\n")


def garble_rule(design):
    return design.replace("- `gopher` → `term`", "- `gopher` may include `term`")


def unquote_target(design):
    return design.replace("- `gopher` → `term`", "- `gopher` → term")


def empty_rules(design):
    return "".join(
        line
        for line in design.splitlines(keepends=True)
        if not line.startswith(("- `", "- every folder"))
    )


# name, files added under src/, change to design.md, findings added to those of the copy.
CASES = [
    (
        "a term file including ui",
        {"term/probe.cpp": '#include <string>\n#include "ui/geometry.hpp"\n'},
        None,
        ['src/term/probe.cpp:2: term -> ui: #include "ui/geometry.hpp" is not an allowed arrow'],
    ),
    (
        "a header of gopher including nav, and app from ui and from term",
        {
            "gopher/probe.hpp": '#pragma once\n#include "nav/history.hpp"\n',
            "ui/probe.cpp": '#include "app/cli.hpp"\n',
            "term/probe.cpp": '#include "app/fatal.hpp"\n',
        },
        None,
        [
            'src/gopher/probe.hpp:2: gopher -> nav: #include "nav/history.hpp" is not an allowed '
            "arrow",
            'src/term/probe.cpp:1: term -> app: #include "app/fatal.hpp" is not an allowed arrow',
            'src/ui/probe.cpp:1: ui -> app: #include "app/cli.hpp" is not an allowed arrow',
        ],
    ),
    (
        "the allowed arrows, the generated header and an include beside the file",
        {
            "term/probe.cpp": '#include "base/version.hpp"\n'
            '#include "width.hpp"\n#include "term/screen.hpp"\n',
            "gopher/probe.cpp": '#include "term/width.hpp"\n#include "base/version.hpp"\n',
            "ui/probe.cpp": '#include "nav/history.hpp"\n#include "gopher/menu.hpp"\n'
            '#include "term/screen.hpp"\n',
            "app/probe.cpp": '#include "ui/geometry.hpp"\n#include "nav/history.hpp"\n'
            '#include "gopher/menu.hpp"\n#include "term/screen.hpp"\n',
        },
        None,
        [],
    ),
    (
        "an arrow the rules in design.md allow",
        {"term/probe.cpp": '#include "ui/geometry.hpp"\n'},
        allow_term_to_ui,
        [],
    ),
    (
        "an include of no file",
        {"term/probe.cpp": '#include "term/missing.hpp"\n'},
        None,
        ['src/term/probe.cpp:1: #include "term/missing.hpp" names no file under src/'],
    ),
    (
        # Each .cpp includes the other's header: no header includes another, yet the modules do.
        "a cycle through two modules",
        {
            "term/probe_a.hpp": "#pragma once\n",
            "term/probe_a.cpp": '#include "term/probe_a.hpp"\n#include "term/probe_b.hpp"\n',
            "term/probe_b.hpp": "#pragma once\n",
            "term/probe_b.cpp": '#include "term/probe_b.hpp"\n\n#include "term/probe_a.hpp"\n',
        },
        None,
        [
            "src/term/probe_a.cpp:2: include cycle term/probe_a -> term/probe_b -> term/probe_a: "
            "term/probe_a.cpp:2 includes term/probe_b.hpp, "
            "term/probe_b.cpp:3 includes term/probe_a.hpp"
        ],
    ),
    (
        # Every include that closes a cycle is named: the second cycle is the only one through
        # probe_d, though it is longer.
        "a cycle of three headers across folders, and a longer one through a fourth",
        {
            "term/probe_a.hpp": '#pragma once\n#include "gopher/probe_b.hpp"\n',
            "gopher/probe_b.hpp": '#pragma once\n#include "gopher/probe_c.hpp"\n'
            '#include "gopher/probe_d.hpp"\n',
            "gopher/probe_c.hpp": '#pragma once\n#include "term/probe_a.hpp"\n',
            "gopher/probe_d.hpp": '#pragma once\n#include "gopher/probe_c.hpp"\n',
        },
        None,
        [
            'src/term/probe_a.hpp:2: term -> gopher: #include "gopher/probe_b.hpp" is not an '
            "allowed arrow",
            "src/gopher/probe_b.hpp:2: include cycle gopher/probe_b -> gopher/probe_c -> "
            "term/probe_a -> gopher/probe_b: gopher/probe_b.hpp:2 includes gopher/probe_c.hpp, "
            "gopher/probe_c.hpp:2 includes term/probe_a.hpp, "
            "term/probe_a.hpp:2 includes gopher/probe_b.hpp",
            "src/gopher/probe_b.hpp:3: include cycle gopher/probe_b -> gopher/probe_d -> "
            "gopher/probe_c -> term/probe_a -> gopher/probe_b: "
            "gopher/probe_b.hpp:3 includes gopher/probe_d.hpp, "
            "gopher/probe_d.hpp:2 includes gopher/probe_c.hpp, "
            "gopher/probe_c.hpp:2 includes term/probe_a.hpp, "
            "term/probe_a.hpp:2 includes gopher/probe_b.hpp",
        ],
    ),
]

# name, change to design.md: the check refuses to run rather than pass without its rules.
BROKEN_RULES = [
    ("no section of rules", drop_rules),
    ("a rule it cannot read", garble_rule),
    ("a target not in backquotes", unquote_target),
    ("a section with no rule", empty_rules),
]


class IncludeCheck(unittest.TestCase):
    def setUp(self):
        scratch = tempfile.TemporaryDirectory(prefix="kesmor-includes.")
        self.addCleanup(scratch.cleanup)
        self.root = Path(scratch.name)
        shutil.copytree(SOURCE_DIR / "src", self.root / "src")
        (self.root / "doc").mkdir()
        self.design = SOURCE_DIR.joinpath("doc", "design.md").read_text(encoding="utf-8")
        self.write_design(self.design)
        code, self.baseline, stderr = run_check(self.root)
        self.assertIn(code, (0, 1), stderr)
        self.assertTrue(RULES_HEADING in self.design, "doc/design.md lost its rules")

    def write_design(self, text):
        self.root.joinpath("doc", "design.md").write_text(text, encoding="utf-8")

    def test_findings(self):
        for name, files, change, expected in CASES:
            with self.subTest(name):
                added = [self.root / "src" / path for path in files]
                for path, text in files.items():
                    self.root.joinpath("src", path).write_text(text, encoding="utf-8")
                if change:
                    changed = change(self.design)
                    self.assertNotEqual(changed, self.design, "the rule to change is gone")
                    self.write_design(changed)
                try:
                    code, found, stderr = run_check(self.root)
                finally:
                    for path in added:
                        path.unlink()
                    self.write_design(self.design)
                new = [line for line in found if line not in self.baseline]
                self.assertEqual(new, expected)
                self.assertEqual(code, 1 if found else 0, stderr)

    def test_rules_it_cannot_read(self):
        for name, change in BROKEN_RULES:
            with self.subTest(name):
                changed = change(self.design)
                self.assertNotEqual(changed, self.design, "the rule to change is gone")
                self.write_design(changed)
                code, _, stderr = run_check(self.root)
                self.write_design(self.design)
                self.assertEqual(code, 2)
                self.assertIn("check_includes: ", stderr)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
