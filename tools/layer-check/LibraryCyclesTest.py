#!/usr/bin/env python3
"""The circle check over small link tables: a check that found no circle anywhere would let
two libraries grow into one unseen."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import LibraryCycles as library_cycles  # noqa: E402

# name, link table lines, expected circles
CASES = [
    ("ChainHasNoCircle", ["plan: core;navdb", "tools: plan", "core: ", "navdb: Threads::Threads"], []),
    ("TwoLibrariesLinkEachOther", ["plan: tools", "tools: plan;core", "core:"], [["plan", "tools"]]),
    ("CircleThroughThree", ["app: plan", "plan: tools", "tools: app", "core:"], [["app", "plan", "tools"]]),
    ("CircleHiddenInAGeneratorExpression", ["plan: $<TARGET_NAME_IF_EXISTS:tools>", "tools: plan"],
     [["plan", "tools"]]),
    ("OutsideTargetsAndSelfLinksIgnored", ["plan: plan;GTest::gtest;-lm", "tools: plan;wx_core"], []),
    ("TwoSeparateCircles", ["a: b", "b: a", "c: d", "d: c", "e: a;c"], [["a", "b"], ["c", "d"]]),
]


class LibraryCyclesCases(unittest.TestCase):
    def test_cases(self):
        for name, lines, expected in CASES:
            with self.subTest(name):
                links = library_cycles.read_links(lines)
                self.assertEqual(expected, library_cycles.cycles(links))


if __name__ == "__main__":
    unittest.main()
