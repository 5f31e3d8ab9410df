"""Samba's binary user.DOSATTRIB records, built and taken apart byte by byte
for the tests: a NUL-terminated text ("0x.." of the attributes in versions
1 to 3, empty in 4 and 5), padding to an even offset, the version twice as
16-bit numbers, padding to a multiple of 4, then the version's structure,
little-endian. Times are NT times: 100 ns steps since 1601-01-01 UTC."""

import calendar
import struct

VALID_ATTRIB, VALID_CREATE_TIME, VALID_ITIME = 0x01, 0x10, 0x40
NT_EPOCH_OFFSET = 11644473600  # seconds from 1601-01-01 to 1970-01-01


def nt_time(year, month, day, hour, minute, second):
    return (calendar.timegm((year, month, day, hour, minute, second)) + NT_EPOCH_OFFSET) * 10**7


def _align(offset, n):
    return (offset + n - 1) // n * n


def _head(version, text):
    value = text + b"\0"
    value += b"\0" * (_align(len(value), 2) - len(value))
    value += struct.pack("<HH", version, version)
    return value + b"\0" * (_align(len(value), 4) - len(value))


def record(version, attrib, create_time):
    """A record as Samba writes it, of version 3, 4 or 5."""
    if version == 3:
        body = struct.pack("<IIIQQQQ", VALID_ATTRIB | VALID_CREATE_TIME, attrib, 0, 0, 0, create_time, 0)
        return _head(3, b"0x%x" % attrib) + body
    if version == 4:
        body = struct.pack("<IIQQ", VALID_ATTRIB | VALID_CREATE_TIME | VALID_ITIME, attrib, create_time,
                           create_time)
        return _head(4, b"") + body
    if version == 5:
        return _head(5, b"") + struct.pack("<IIQ", VALID_ATTRIB | VALID_CREATE_TIME, attrib, create_time)
    raise ValueError("no record of version %d" % version)


# Offsets inside a version's structure.
_ATTRIB_AT = {3: 4, 4: 4, 5: 4}
_CREATE_TIME_AT = {3: 28, 4: 16, 5: 8}


def parse(value):
    """The parts of a record of version 3, 4 or 5: a dict with text, version,
    start (of the structure), attrib and create_time; None for anything else."""
    nul = value.find(b"\0")
    if nul < 0 or nul + 1 == len(value):
        return None
    text = value[:nul]
    offset = _align(nul + 1, 2)
    version, level = struct.unpack_from("<HH", value, offset)
    if version != level or version not in _ATTRIB_AT:
        return None
    start = _align(offset + 4, 4)
    return {
        "text": text,
        "version": version,
        "start": start,
        "attrib": struct.unpack_from("<I", value, start + _ATTRIB_AT[version])[0],
        "create_time": struct.unpack_from("<Q", value, start + _CREATE_TIME_AT[version])[0],
    }


def without_attrib(value):
    """The structure of a record with its attribute field blanked: what must
    stay the same when only the attributes change."""
    parts = parse(value)
    at = parts["start"] + _ATTRIB_AT[parts["version"]]
    return value[parts["start"]:at] + b"\0\0\0\0" + value[at + 4:]
