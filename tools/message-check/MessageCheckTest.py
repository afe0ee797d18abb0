#!/usr/bin/env python3
"""The message check over small trees: each case lays out a few files and says which problem, if
any, the check must name. A check that passed everything would let empty boxes through unseen."""

import importlib.util
import os
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
spec = importlib.util.spec_from_file_location("MessageCheck", os.path.join(HERE, "MessageCheck.py"))
message_check = importlib.util.module_from_spec(spec)
spec.loader.exec_module(message_check)

TABLE = ('#include "platform/ui/StringTable.h"\n'
         'namespace ids { inline constexpr unsigned kSaved = 6002; }\n'
         'void AddTexts() {\n'
         '  ui::AddStrings({{6001, "First."},\n'
         '                  {ids::kSaved, "Saved "\n'
         '                                "twice."},\n'
         '                  {6003, ""},\n'
         '                  {6004, TextOf(6004)}});\n'
         '}\n')

PRODUCER = ('unsigned Check(int x) {\n'
            '  if (x == 0) return 0;\n'
            '  if (x == 1) return 6001;\n'
            '  return x > 2 ? ids::kSaved : kUnregistered;\n'
            '}\n'
            'enum { kUnregistered = 6009 };\n')

PRODUCERS = {("plotr/shell/window/Doc.cpp", "id"): ("plotr/tools/Check.cpp", "Check", r"\breturn\s+([^;]+);")}

# name, {path: text}, fragment every expected problem contains (None: clean)
CASES = [
    ("LiteralsConstantsAndTextsByExpression", {
        "plotr/core/Texts.cpp": TABLE,
        "plotr/shell/window/Doc.cpp": (
            'void Doc() {\n'
            '  ShowShellMessage(ui::LoadString(6001), kStyle);\n'
            '  ui::ShowMessageBox(this, ui::LoadString(static_cast<unsigned>(ids::kSaved)), "x", 0);\n'
            '  m_view.MessageBox(SidStarTransferText(6004), 0);\n'
            '  ShowShellMessage(ui::LoadString(flag ? 6001 : ids::kSaved), kStyle);\n'
            '  window->SetId(cmd::kSomething);\n'
            '  // ShowShellMessage(ui::LoadString(6099), kStyle);\n'
            '}\n'),
        "plotr/shell/window/tests/DocTest.cpp": 'void T() { ShowShellMessage(ui::LoadString(6099), 0); }\n',
    }, None),
    ("NumberWithoutText", {
        "plotr/core/Texts.cpp": TABLE,
        "plotr/views/window/View.cpp": 'void V() { ui::ShowMessageBox(this, ui::LoadString(6005), "x", 0); }\n',
    }, "message 6005"),
    ("EmptyText", {
        "plotr/core/Texts.cpp": TABLE,
        "plotr/views/window/View.cpp": 'void V() { ShowShellMessage(ui::LoadString(6003), 0); }\n',
    }, "message 6003"),
    ("OtherSideOfAChoice", {
        "plotr/core/Texts.cpp": TABLE,
        "plotr/views/window/View.cpp": 'void V() { ShowShellMessage(ui::LoadString(a == ns::kB ? 6001 : 6006), 0); }\n',
    }, "message 6006"),
    ("FormsAskToo", {
        "plotr/core/Texts.cpp": TABLE,
        "plotr/tools/Form.cpp": 'bool F::Ok(const AskUser& ask) { ask(ui::LoadString(6007), kMbOk); }\n',
    }, "message 6007"),
    ("SlotKeepsNumbersForLater", {
        "plotr/core/Texts.cpp": TABLE,
        "plotr/multiplayer/Session.cpp": 'void S() { m_pending.SetPair(6001, mp::kReason, ui::kMbIconInformation); }\n'
                                         'constexpr unsigned kReason = 6008;\n',
    }, "message 6008"),
    ("VariableOfUnknownSource", {
        "plotr/core/Texts.cpp": TABLE,
        "plotr/views/window/View.cpp": 'void V(unsigned id) { ShowShellMessage(ui::LoadString(id), 0); }\n',
    }, "name where it comes from"),
    ("ProducerHandsOutANumberWithoutText", {
        "plotr/core/Texts.cpp": TABLE,
        "plotr/tools/Check.cpp": PRODUCER,
        "plotr/shell/window/Doc.cpp": 'void D() { ShowShellMessage(ui::LoadString(static_cast<unsigned>(id)), 0); }\n',
    }, "message 6009"),
    ("ProducerGone", {
        "plotr/core/Texts.cpp": TABLE,
        "plotr/tools/Check.cpp": 'unsigned Other() { return 6001; }\n',
        "plotr/shell/window/Doc.cpp": 'void D() { ShowShellMessage(ui::LoadString(id), 0); }\n',
    }, "is gone"),
    ("ConstantOfSeveralValues", {
        "plotr/core/Texts.cpp": TABLE,
        "plotr/views/A.h": "constexpr unsigned kTwice = 6001;\n",
        "plotr/views/B.h": "constexpr unsigned kTwice = 6002;\n",
        "plotr/views/window/View.cpp": 'void V() { ShowShellMessage(ui::LoadString(kTwice), 0); }\n',
    }, "several values"),
]


class MessageCheckTest(unittest.TestCase):
    def test_cases(self):
        for name, files, fragment in CASES:
            with self.subTest(name), tempfile.TemporaryDirectory() as root:
                for path, text in files.items():
                    os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
                    with open(os.path.join(root, path), "w") as f:
                        f.write(text)
                problems = message_check.check(root, PRODUCERS)
                if fragment is None:
                    self.assertEqual(problems, [])
                else:
                    self.assertEqual(len(problems), 1, problems)
                    self.assertIn(fragment, problems[0])


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
