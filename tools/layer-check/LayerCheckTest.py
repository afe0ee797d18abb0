#!/usr/bin/env python3
"""The layer check over small trees: each case lays out a few files and says which problem, if
any, the check must name. A check that passed everything would let the layers rot unseen."""

import importlib.util
import os
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
spec = importlib.util.spec_from_file_location("LayerCheck", os.path.join(HERE, "LayerCheck.py"))
layer_check = importlib.util.module_from_spec(spec)
spec.loader.exec_module(layer_check)

# name, {path: text}, exceptions text, fragment every expected problem contains (None: clean)
CASES = [
    ("IncludesDownwardAndAllowedWx", {
        "plotr/core/Settings.h": "",
        "plotr/plan/Route.cpp": '#include "plotr/core/Settings.h"\n#include "Route.h"\n',
        "plotr/plan/Route.h": "",
        "plotr/shell/window/MainFrm.h": "#include <wx/frame.h>\n",
        "plotr/map/window/tests/MapTest.cpp": '#include "plotr/shell/window/MainFrm.h"\n#include <wx/app.h>\n',
        "planexport/common/testing/Harness.h": '#include "plotr/plan/Route.h"\n',
        "simhost/app/MainFrame.cpp": "#include <wx/frame.h>\n",
        "basemaker/gui/Dlg.cpp": "#include <wx/dialog.h>\n",
    }, "", None),
    ("UpwardInclude", {
        "plotr/shell/ModuleApp.h": "",
        "plotr/plan/Route.cpp": '#include "plotr/shell/ModuleApp.h"\n',
    }, "", "plan sits below shell"),
    ("UpwardIncludeByRelativePath", {
        "plotr/shell/ModuleApp.h": "",
        "plotr/plan/Route.cpp": '#include "../shell/ModuleApp.h"\n',
    }, "", "plan sits below shell"),
    ("HeadlessTestIncludesTheShell", {
        "plotr/shell/ModuleApp.h": "",
        "plotr/views/tests/ViewTest.cpp": '#include "plotr/shell/ModuleApp.h"\n',
    }, "", "views sits below shell"),
    ("WindowTestIncludesAHigherLayerThanTheShell", {
        "plotr/module/Entry.h": "",
        "plotr/views/window/tests/ViewTest.cpp": '#include "plotr/module/Entry.h"\n',
    }, "", "views sits below module"),
    ("WxInAModel", {
        "plotr/plan/Route.cpp": "#include <wx/string.h>\n",
    }, "", "outside a window/ or gui/ folder"),
    ("PlugInIncludesThePlanner", {
        "plotr/plan/Route.h": "",
        "planexport/tabtext/Writer.cpp": '#include "plotr/plan/Route.h"\n',
    }, "", "stands apart from the planner"),
    ("FolderOutsideTheLayers", {
        "plotr/extras/Thing.cpp": "",
    }, "", "has no place in the layers"),
    ("ListedException", {
        "plotr/shell/ModuleApp.h": "",
        "plotr/plan/Route.cpp": '#include "plotr/shell/ModuleApp.h"\n#include <wx/string.h>\n',
    }, "[waits for a seam]\nplotr/plan/Route.cpp -> plotr/shell/ModuleApp.h\nplotr/plan/Route.cpp -> wx\n", None),
    ("StaleException", {
        "plotr/plan/Route.cpp": "",
    }, "[waits for a seam]\nplotr/plan/Route.cpp -> plotr/shell/ModuleApp.h\n", "no longer needed"),
    ("ExceptionWithoutReason", {
        "plotr/plan/Route.cpp": "",
    }, "plotr/plan/Route.cpp -> wx\n", "under a [reason] line"),
]


class LayerCheckTest(unittest.TestCase):
    def test_cases(self):
        for name, files, exceptions_text, fragment in CASES:
            with self.subTest(name), tempfile.TemporaryDirectory() as root:
                for path, text in files.items():
                    os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
                    with open(os.path.join(root, path), "w") as f:
                        f.write(text)
                exceptions_path = os.path.join(root, "exceptions.txt")
                with open(exceptions_path, "w") as f:
                    f.write(exceptions_text)
                exceptions, problems = layer_check.read_exceptions(exceptions_path)
                problems += layer_check.check(root, exceptions)
                if fragment is None:
                    self.assertEqual(problems, [])
                else:
                    self.assertEqual(len(problems), 1, problems)
                    self.assertIn(fragment, problems[0])


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
