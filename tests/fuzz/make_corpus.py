#!/usr/bin/env python3
# Writes the seed corpora of the fuzz targets into corpus/<target>/ (run it
# again after changing an input layout). Each seed is one readable case of
# the layout that the target's LLVMFuzzerTestOneInput reads from the front.
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    d = os.path.join(here, "corpus", target)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, name), "wb") as f:
        f.write(data)


def u8(s):
    return s.encode("utf-8")


def sjis(s):
    return s.encode("cp932")


# datetime_parse_fuzz: separator selector (0 '/', 1 '-', 2 '.', else the
# byte itself), code page (bit 0: CP932), then the text.
parse = {
    "slash_date": (0, 0, b"1997/05/01"),
    "hyphen_timestamp": (1, 0, b"1997-05-01 10:20:30.123000"),
    "two_digit": (0, 0, b"97/05/01"),
    "sentinel": (1, 0, b"0001-01-01"),
    "blanks": (0, 0, b" 2024 / 2 / 29 / 7:05"),
    "pm_after": (1, 0, b"2000-1-2 11:59:59 PM"),
    "am_before": (0, 0, b"2000/1/2 am 12:00"),
    "marker_utf8": (0, 0, u8("2000/01/02 午後 3:04:05")),
    "marker_cp932": (0, 1, sjis("2000/01/02 3:04:05 午前")),
    "leap_fail": (1, 0, b"1900-02-29"),
    "dot": (2, 0, b"2010.12.31 23:59:59"),
    "huge_numbers": (0, 0, b"99999999999/99999999999/9999999999 9999999999:99999:9999"),
    "trailing": (1, 0, b"2020-06-07 08:09:10 trailing text"),
}
for name, (sep, cp, text) in parse.items():
    write("datetime_parse_fuzz", name, bytes([sep, cp]) + text)


# datetime_format_fuzz: separator selector (0 '/', 1 '-', else the byte),
# code page, year (16 bits, % 9999 + 1), month, day, hour, minute, second
# (each byte % range), milliseconds (16 bits % 1000), then the pattern.
def value(year, month, day, hour, minute, sec, msec):
    return struct.pack("<H", year - 1) + bytes([month - 1, day - 1, hour, minute, sec]) + struct.pack("<H", msec)


fmt = {
    "default": (0, 0, value(1997, 5, 1, 10, 20, 30, 123), b"YYYY/MM/DD HH:MM:SS"),
    "empty_midnight": (0, 0, value(2024, 2, 29, 0, 0, 0, 0), b""),
    "empty_time": (1, 0, value(1, 1, 1, 23, 59, 59, 999), b""),
    "compact": (0, 0, value(1997, 5, 1, 0, 0, 0, 0), b"yyyymmdd"),
    "hyphen_minutes": (1, 0, value(1997, 5, 1, 10, 20, 30, 0), b"YYYY-MM-DD HH:MM"),
    "names": (0, 0, value(2023, 12, 31, 13, 5, 6, 7), b"dddd ddd aaaa aaa mmm mmmm d/m/yy"),
    "regional": (0, 0, value(2023, 12, 31, 13, 5, 6, 7), b"ddddd dddddd c t tt"),
    "markers": (0, 0, value(2023, 12, 31, 0, 5, 6, 7), b"h:nn AM/PM hh a/p hh ampm"),
    "literals": (0, 0, value(2023, 1, 2, 3, 4, 5, 6), b"'yyyy' \"mm\" 'unclosed"),
    "fraction": (0, 0, value(2023, 1, 2, 3, 4, 5, 6), b"hh:nn:ss.zzz z zz"),
    "utf8_pattern": (0, 0, value(2023, 1, 2, 3, 4, 5, 6), u8("yyyy年mm月dd日 hh時mm分")),
    "cp932_pattern": (0, 1, value(2023, 1, 2, 3, 4, 5, 6), sjis("yyyy年mm月dd日 hh時mm分 表")),
}
for name, (sep, cp, v, pattern) in fmt.items():
    write("datetime_format_fuzz", name, bytes([sep, cp]) + v + pattern)


# strtoint_fuzz: the text.
ints = {
    "plain": b"123",
    "negative_min": b"-2147483648",
    "positive_max": b"+2147483647",
    "overflow": b"2147483648",
    "hex": b"$7FFFFFFF",
    "hex_all_bits": b"  $ffffffff",
    "hex_too_long": b"$100000000",
    "leading_zeros": b"0000000000000000000000000000012",
    "trailing_blank": b"12 ",
    "empty": b"",
    "sign_only": b"-",
    "two_chars": b"9/",
}
for name, text in ints.items():
    write("strtoint_fuzz", name, text)


# linebuilder_fuzz: flags (bit 0 enclosed, 1 format dates, 2 delimiter
# present, 3 CP932, 4 pattern follows, bits 5-6 rows - 1), the delimiter, the
# column count; the pattern (length byte, bytes) when flagged; for each
# column the name buffer size, the name length (16 bits) and the name (length
# byte, bytes); for each column the type (index into the target's table
# below 240) and the precision (% 64, 224 and above: no buffer); for each row
# and column the length mode (0 NULL, 1 empty, 2 no total, 3 exact, 4 longer,
# 5 a 16-bit length follows) and the value (length byte, bytes).
TYPES = {"char": 0, "varchar": 1, "date": 2, "timestamp": 3, "integer": 4, "longvarchar": 5, "time": 6}


def text(b):
    return bytes([len(b)]) + b


def line_case(enclosed, format_date, delimiter, columns, rows, pattern=None, cp932=False):
    flags = (1 if enclosed else 0) | (2 if format_date else 0) | (4 if delimiter is not None else 0)
    flags |= (8 if cp932 else 0) | (16 if pattern is not None else 0) | ((len(rows) - 1) << 5)
    out = bytes([flags, ord(delimiter or ","), len(columns)])
    if pattern is not None:
        out += text(pattern)
    for name, _, _ in columns:
        out += bytes([255]) + struct.pack("<h", len(name)) + text(name)
    for _, type_name, precision in columns:
        out += bytes([TYPES[type_name], precision])
    for row in rows:
        for v in row:
            out += bytes([0]) + text(b"") if v is None else bytes([3]) + text(v)
    return out


write("linebuilder_fuzz", "numbers", line_case(False, False, ",",
      [(b"a", "integer", 10), (b"b", "integer", 10), (b"c", "integer", 10)], [[b"1", None, b"3"]]))
write("linebuilder_fuzz", "enclosed", line_case(True, False, ",",
      [(b"id", "integer", 10), (b"name", "varchar", 20), (b"code", "char", 5), (b"", "char", 5)],
      [[b"12", b'ab"c', b"ab   ", None], [b"13", b"a,b\r\nc", b"\x00\x01\x02", b""]]))
write("linebuilder_fuzz", "dates_hyphen", line_case(True, True, "\t",
      [(b"d", "date", 10), (b"ts", "timestamp", 26), (b"n", "varchar", 8), (b"t", "time", 8), (b"x", "longvarchar", 8)],
      [[None, b"1997-05-01 10:20:30.123000", b"x", b"10:20:30", b"y"],
       [b"1997-05-01", b"1998-12-31 23:59:59.000000", None, None, None],
       [b"0001-01-01", b"2024-02-29 00:00:00", b"", b"", b""]]))
write("linebuilder_fuzz", "dates_two_digit", line_case(False, True, ",",
      [(b"d", "date", 8), (b"d2", "date", 8), (b"v", "varchar", 4), (b"i", "integer", 4), (b"t", "timestamp", 19)],
      [[b"97/05/01", b"03/05/01", b"a", b"1", b"49/01/01 1:02:03"], [b"50/01/01", b"xx/01/01", b"b", b"2", None]]))
write("linebuilder_fuzz", "pattern_compact", line_case(False, True, None,
      [(b"d", "date", 10), (b"t", "timestamp", 19), (b"c", "char", 3)],
      [[b"1997-05-01", b"1997-05-01 10:20:30", b"abc"]], pattern=b"YYYYMMDD"))
write("linebuilder_fuzz", "pattern_mixed", line_case(True, True, ";",
      [(b"t", "timestamp", 19), (b"d", "date", 10), (b"c", "varchar", 10)],
      [[b"1997-05-01 10:20:30", b"1997/05/01", b"z"]], pattern=b"YYYY-MM-DD HH:MM yyyy/mm/dd"))
write("linebuilder_fuzz", "cp932_names", line_case(True, False, ",",
      [(sjis("名前"), "varchar", 10), (sjis("日付"), "date", 10)],
      [[sjis("山田"), b"2001-02-03"]], cp932=True))
