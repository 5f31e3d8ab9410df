"""Key translation on a real terminal: what the console layer reads for each
key a terminal sends, checked with the key probe (tests/keyprobe), which
prints "key <code> x=<column>" for every byte it reads and ends on "q"."""

import harness

ESC = "\x1b"
# A key with no character gives 0 and then its extended code, as on the PC
# keyboard BIOS.
F = lambda code: [0, code]  # noqa: E731

# Name, the keys as an xterm sends them (each string one key), and the bytes read.
KEYS = [
    ("letter", ["a"], [97]),
    ("capital letter", ["Z"], [90]),
    ("digit and blank", ["1", " "], [49, 32]),
    ("Enter", ["\r"], [13]),
    ("Tab", ["\t"], [9]),
    ("Esc alone", [ESC], [27]),
    ("Esc then a letter", [ESC, "x"], [27, 120]),
    ("F1", [ESC + "OP"], F(59)),
    ("F2", [ESC + "OQ"], F(60)),
    ("F3", [ESC + "OR"], F(61)),
    ("F4", [ESC + "OS"], F(62)),
    ("F5", [ESC + "[15~"], F(63)),
    ("F6", [ESC + "[17~"], F(64)),
    ("F7", [ESC + "[18~"], F(65)),
    ("F8", [ESC + "[19~"], F(66)),
    ("F9", [ESC + "[20~"], F(67)),
    ("F10", [ESC + "[21~"], F(68)),
    ("F11", [ESC + "[23~"], F(133)),
    ("F12", [ESC + "[24~"], F(134)),
    ("Home", [ESC + "[H"], F(71)),
    ("Up", [ESC + "[A"], F(72)),
    ("PgUp", [ESC + "[5~"], F(73)),
    ("Left", [ESC + "[D"], F(75)),
    ("Right", [ESC + "[C"], F(77)),
    ("End", [ESC + "[F"], F(79)),
    ("Down", [ESC + "[B"], F(80)),
    ("PgDn", [ESC + "[6~"], F(81)),
    ("Insert", [ESC + "[2~"], F(82)),
    ("Delete", [ESC + "[3~"], F(83)),
    ("Alt+A", [ESC + "a"], F(30)),
    ("Shift+Tab", [ESC + "[Z"], F(15)),
    ("arrow then letter", [ESC + "[A", "b"], F(72) + [98]),
]

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
