"""What the tool's report lines look like for a fixture on each build:
paths in the tool's syntax, shortened headings, attribute fields, and where
the list file of a tree run lies."""

import getpass
from pathlib import Path

from harness import ARCHIVE, DIRECTORY, HIDDEN, READ_ONLY, SYSTEM, attribute_bits

LISTING_HEADING = "Attributi  ---  Nomi dei files ("
CHANGE_HEADING = "Attributi vecchi/nuovi  ---  Nomi dei files ("
FINE = "--------------------FINE--------------------"
INTERRUPTED = "Operazione interrotta dall' utente"
NOT_FOUND = "Files non trovati"
TEMP_FILE_ERROR = "Errore nell' accedere al file temporaneo. Operazione abortita."
PROGRESS = "Creazione del file temporaneo in corso ... "
CONFIRM = " [Si,No,Tutti,Esc] "
ACCESS_QUESTION = "Annulla, Riprova, Ignora, ignora Tutti ?  [A,R,I,T] "
OUTPUT_QUESTION = "Sovrascrivi, Accoda, Esci ?  [S,A,E] "
LIST_FILE = "ZELMO___.TMP"


def tool_path(build, path):
    """A Linux path as the build writes it: "\\" between parts; under Wine
    the tree is drive Z:."""
    text = str(path).replace("/", "\\")
    return "Z:" + text if build.name == "win32" else text


def truncpath(path, width):
    """A full path shortened for a heading: leading directory names give way
    to "..." until it fits the width, the last candidate when none does."""
    if len(path) <= width or "\\" not in path:
        return path
    parts = path.split("\\")
    head, dirs, last = parts[0], parts[1:-1], parts[-1]
    if not dirs:
        return path
    for k in range(1, len(dirs) + 1):
        candidate = "\\".join([head, "..."] + dirs[k:] + [last])
        if len(candidate) <= width:
            return candidate
    return candidate


def listing_heading(build, directory, pattern):
    """The listing heading of a directory (a Linux path, or a text already in
    the tool's syntax when given as str starting with "\\" or "Z:")."""
    return LISTING_HEADING + truncpath(_joined(build, directory, pattern), 40) + ")"


def change_heading(build, directory, pattern):
    return CHANGE_HEADING + truncpath(_joined(build, directory, pattern), 33) + ")"


def _joined(build, directory, pattern):
    text = directory if isinstance(directory, str) else tool_path(build, directory)
    return text.rstrip("\\") + "\\" + pattern


def field(bits):
    """The eight-character attribute field of a byte."""
    flags = [(DIRECTORY, "D"), (ARCHIVE, "A"), (READ_ONLY, "R"), (HIDDEN, "H"), (SYSTEM, "S")]
    return " [" + "".join(letter if bits & bit else " " for bit, letter in flags) + "]"


def shown(build, letters, directory=False):
    """The bits a build shows for an entry made by make_tree with letters.
    Wine reports Archive on every file whatever is stored, and Read-only of a
    directory only from its write bits, which the fixtures leave alone."""
    bits = attribute_bits(letters)
    if directory:
        bits |= DIRECTORY
        if build.name == "win32":
            bits &= ~(READ_ONLY | ARCHIVE)
    elif build.name == "win32":
        bits |= ARCHIVE
    return bits


def entry_line(build, name, letters="", directory=False):
    return field(shown(build, letters, directory)) + "    " + name


def found_line(count):
    return "*** File trovati: %s" % _dotted(count)


def processed_line(processed, total, skipped):
    return "*** File processati: %s su %s ,saltati %s  ,accessi negati %s" % (
        _dotted(processed), _dotted(total), _dotted(skipped), _dotted(total - processed - skipped))


def grand_change_line(processed, total, skipped):
    return "*** File processati complessivamente: %s su %s ,saltati %s  ,accessi negati %s" % (
        _dotted(processed), _dotted(total), _dotted(skipped), _dotted(total - processed - skipped))


def _dotted(number):
    return "{:,}".format(number).replace(",", ".")


def wine_temp_dir(build):
    """Where the Win32 build puts its list file: Wine gives every program the
    TMP and TEMP of its registry (the user's Temp folder in the prefix), not
    the ones of the Linux environment."""
    return build.server.prefix / "drive_c" / "users" / getpass.getuser() / "Temp"


def list_file_dir(build, tmp):
    """The directory that receives the list file when TMP is set to tmp."""
    return wine_temp_dir(build) if build.name == "win32" else Path(tmp)


def read_list_file(test, path):
    """The directories held by a list file, checking every record's bytes:
    256 bytes, length byte 255, the path, NUL bytes to the end."""
    data = Path(path).read_bytes()
    test.assertEqual(len(data) % 256, 0, data)
    paths = []
    for start in range(0, len(data), 256):
        record = data[start:start + 256]
        test.assertEqual(record[0], 255, record)
        text = record[1:].rstrip(b"\0")
        test.assertNotIn(b"\0", text, record)
        paths.append(text.decode("latin-1"))
    return paths
