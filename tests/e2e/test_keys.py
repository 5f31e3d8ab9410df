"""Key translation on a real terminal: what the console layer reads for each
key a terminal sends, checked with the key probe (tests/keyprobe), which
prints "key <code> x=<column>" for every byte it reads and ends on "q"."""

import harness
from harness import KEY

# A key with no character gives 0 and then its extended code, as on the PC
# keyboard BIOS.
EXTENDED = {
    "F1": 59, "F2": 60, "F3": 61, "F4": 62, "F5": 63, "F6": 64, "F7": 65,
    "F8": 66, "F9": 67, "F10": 68, "F11": 133, "F12": 134,
    "Home": 71, "Up": 72, "PgUp": 73, "Left": 75, "Right": 77, "End": 79,
    "Down": 80, "PgDn": 81, "Insert": 82, "Delete": 83,
    "Alt+A": 30, "Alt+Z": 44, "Shift+Tab": 15,
}

# Name, the keys sent (each string one key), and the bytes read.
KEYS = [
    ("letter", ["a"], [97]),
    ("capital letter", ["Z"], [90]),
    ("digit and blank", ["1", " "], [49, 32]),
    ("Enter", [KEY["Enter"]], [13]),
    ("Tab", [KEY["Tab"]], [9]),
    ("Esc alone", [KEY["Esc"]], [27]),
    ("Esc then a letter", [KEY["Esc"], "x"], [27, 120]),
    ("arrow then letter", [KEY["Up"], "b"], [0, 72, 98]),
    # The same keys as a terminal sends them in application cursor mode.
    ("Up, application mode", ["\x1bOA"], [0, 72]),
    ("Left, application mode", ["\x1bOD"], [0, 75]),
    ("Home, application mode", ["\x1bOH"], [0, 71]),
    ("End, application mode", ["\x1bOF"], [0, 79]),
] + [(name, [KEY[name]], [0, code]) for name, code in EXTENDED.items()]

# Sent after each case; its code closes the case in the probe's output.
MARK, MARK_CODE = ".", 46
PROBE = "tests/keyprobe"
CODE = r"key (\d+) x="


class KeyTranslation(harness.ToolCase):
    def test_keys_give_their_codes(self):
        term = self.terminal(program=PROBE)
        term.wait_text("keyprobe ready")
        for index, (name, keys, expected) in enumerate(KEYS):
            term.press(*keys)
            term.press(MARK)
            try:
                term.wait_output(r"key %d x=" % MARK_CODE, count=index + 1, timeout=5)
            except harness.Timeout as stuck:
                self.fail("%s: the probe stopped answering: %s" % (name, stuck))
        term.press("q")
        self.assertEqual(term.wait_exit(), 0, term.describe())

        codes = [int(c) for c in term.wait_output(CODE)]
        self.assertEqual(codes[-1], ord("q"))
        groups, current = [], []
        for code in codes[:-1]:
            if code == MARK_CODE:
                groups.append(current)
                current = []
            else:
                current.append(code)
        for (name, keys, expected), got in zip(KEYS, groups):
            with self.subTest(key=name, sent=keys):
                self.assertEqual(got, expected)

    def test_probe_tracks_the_cursor_column(self):
        # Every probe line starts at column 1, after the previous line end.
        term = self.terminal(program=PROBE)
        term.wait_text("keyprobe ready")
        term.press("a", "q")
        self.assertEqual(term.wait_exit(), 0, term.describe())
        self.assertEqual(term.lines()[:3], ["keyprobe ready", "key 97 x=1", "key 113 x=1"])


harness.for_each_build(globals(), KeyTranslation)
