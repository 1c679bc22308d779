#!/usr/bin/env python3
"""Writes the seed inputs of every fuzz target into fuzz/corpus/<target>/.

Usage: fuzz/make_seeds.py [CORPUS_DIR]

The seeds follow each target's input layout (see the comment at the top of
fuzz/<target>.cc; many targets take the first byte as a mode selector) and
are built from the project's own material: the demo catalogue in data/demo,
the protocol as docs/protocol.md writes it, and the texts that the tests
use. Each seed is named seed-<name>; files already in a corpus directory
(found by earlier fuzzing) are left alone. The same tree always gives the
same seeds.
"""

import os
import re
import struct
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tools"))
from make_demo_catalogue import pack_3bit_codes  # noqa: E402
DEMO = os.path.join(ROOT, "data", "demo")
CRLF = b"\r\n"

# ---- reading the project's material


def read(*parts):
    with open(os.path.join(ROOT, *parts), "rb") as f:
        return f.read()


def ansi_to_utf8(data):
    return data.decode("cp1251", errors="replace").encode("utf-8")


def files_under(folder, suffix):
    found = []
    for base, _, names in os.walk(os.path.join(ROOT, folder)):
        found += [os.path.join(base, n) for n in names if n.endswith(suffix)]
    return sorted(found)


def unescape_c(text):
    """The bytes of a C++ string literal's body."""
    out = bytearray()
    i = 0
    simple = {"n": 10, "r": 13, "t": 9, "\\": 92, '"': 34, "'": 39, "0": 0, "a": 7, "f": 12}
    raw = text.encode("utf-8")
    while i < len(raw):
        c = raw[i]
        if c != 92 or i + 1 == len(raw):
            out.append(c)
            i += 1
            continue
        e = chr(raw[i + 1])
        if e == "x":
            digits = re.match(rb"[0-9A-Fa-f]{1,2}", raw[i + 2:])
            out.append(int(digits.group(0), 16) if digits else 0)
            i += 2 + (len(digits.group(0)) if digits else 0)
        elif e in "1234567":
            digits = re.match(rb"[0-7]{1,3}", raw[i + 1:]).group(0)
            out.append(int(digits, 8) & 0xFF)
            i += 1 + len(digits)
        else:
            out.append(simple.get(e, raw[i + 1]))
            i += 2
    return bytes(out)


def test_literals(pattern, *folders):
    """Unique C string literals of the tests in `folders` that match `pattern`."""
    found = []
    for folder in folders:
        for path in files_under(os.path.join("tests", folder), ".cc"):
            with open(path, encoding="utf-8") as f:
                source = f.read()
            for literal in re.findall(r'"((?:[^"\\\n]|\\.)*)"', source):
                if re.search(pattern, literal):
                    found.append(unescape_c(literal))
    return sorted(set(found), key=lambda b: (len(b), b))


def exchange_records():
    """The demo catalogues' records as lists of (tag, value), values UTF-8."""
    records = []
    for name in ("DEMO/DEMO.txt", "SERIALS/SERIALS.txt"):
        text = read("data", "demo", "db", name).decode("utf-8")
        for block in text.split("*****"):
            fields = re.findall(r"^#(\d+): ?(.*?)\r?$", block, re.M)
            if fields:
                records.append([(int(tag), value.encode("utf-8")) for tag, value in fields])
    return records


def pseudo_urls():
    """Every TALOR: address in the demo pages and formats, decoded from HTML."""
    urls = set()
    for path in files_under("data/demo", ".html") + files_under("data/demo", ".pft"):
        with open(path, "rb") as f:
            data = f.read()
        if path.endswith(".pft"):
            data = ansi_to_utf8(data)
        for url in re.findall(rb"TALOR[A-Z]*:[^\"'<> ]*", data):
            urls.add(url.replace(b"&amp;", b"&"))
    return sorted(urls)


# ---- wire forms


def answer(lines, command=b"C", client=b"123456", sequence=b"5", binary=None):
    """An answer framed as the catalogue server writes it."""
    header = command + CRLF + client + CRLF + sequence + CRLF
    rest = CRLF * 7 + b"".join(line + CRLF for line in lines)
    length = len(header) + len(rest)
    if binary is not None:
        length += len(b"TALOR_BINARY_DATA") + len(binary)
    text = header + str(length).encode() + rest
    if binary is not None:
        text += b"TALOR_BINARY_DATA" + binary
    return text


def tunnel(text):
    return (b"HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n"
            b"Connection: close\r\n\r\nTALOR_START_REQUEST\r\n" + text + b"TALOR_END_REQUEST")


def request(command, parameters, resent=False, user=b"u", password=b"p"):
    """A request packet's text after its length line."""
    header = [command, b"R", command, b"123456", b"5", password, user, b"", b"",
              b"1" if resent else b""]
    end = CRLF if resent else b"\n"
    return end.join(header + list(parameters))


def packet(command, parameters):
    text = request(command, parameters)
    return str(len(text) - 2).encode() + b"\n" + text


def wire_lines(mfn, record, version=1, status=0):
    return ([b"%d#%d" % (mfn, status), b"0#%d" % version] +
            [b"%d#%s" % (tag, value) for tag, value in record])


def one_line(lines):
    text = b"".join(line + CRLF for line in lines)
    return text.replace(b"\r", b"\x1f").replace(b"\n", b"\x1e")


def record_text(mfn, record):
    return one_line([b"0"] + wire_lines(mfn, record))


def iso_record(record):
    """ISO 2709 as the catalogue writes it: the leader template, a directory
    of 12-byte entries, values ended by 0x1E and the record by 0x1D."""
    directory = b""
    data = b""
    for tag, value in record:
        value = value.replace(b"^", b"\x1f")
        directory += b"%03d%04d%05d" % (tag, len(value) + 1, len(data))
        data += value + b"\x1e"
    directory += b"\x1e"
    base = 24 + len(directory)
    length = base + len(data) + 1
    leader = b"%05d" % length + b"0000022" + b"%05d" % base + b"000450 "
    return leader + directory + data + b"\x1d"


def text_exchange(records, line_end=CRLF):
    out = b""
    for record in records:
        for tag, value in record:
            out += b"#%d: %s" % (tag, value) + line_end
        out += b"*****" + line_end
    return out


# ---- pictures


def bitmap(width, height, pixel):
    """A 24-bit bottom-up Windows bitmap."""
    stride = (width * 3 + 3) & ~3
    rows = b""
    for y in range(height - 1, -1, -1):
        row = b"".join(bytes(pixel(x, y)) for x in range(width))
        rows += row + b"\0" * (stride - len(row))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(rows), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    return header + info + rows


def gif(width, height, pixel, interlaced=False):
    """A GIF with a four-colour palette whose codes never grow past 3 bits:
    a clear code after every five pixels."""
    palette = b"\xff\xff\xff\x00\x00\x00\xc0\x00\x00\x00\x00\xc0"
    codes = []
    pixels = [pixel(x, y) for y in range(height) for x in range(width)]
    for i in range(0, len(pixels), 5):
        codes.append(4)
        codes += pixels[i:i + 5]
    codes.append(5)
    data = pack_3bit_codes(codes)
    blocks = b"".join(bytes([len(data[i:i + 255])]) + bytes(data[i:i + 255])
                      for i in range(0, len(data), 255))
    return (b"GIF89a" + struct.pack("<HHBBB", width, height, 0x81, 0, 0) + palette +
            b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0x40 if interlaced else 0) +
            b"\x02" + blocks + b"\x00\x3b")


def jpeg(width, height, subsampling):
    """A baseline JPEG made by the system's libturbojpeg; None without it."""
    import ctypes
    import ctypes.util
    name = ctypes.util.find_library("turbojpeg")
    if not name:
        return None
    tj = ctypes.CDLL(name)
    tj.tjInitCompress.restype = ctypes.c_void_p
    handle = ctypes.c_void_p(tj.tjInitCompress())
    pixels = bytes((x * 37 + y * 11) & 0xFF for y in range(height) for x in range(width)
                   for _ in range(3))
    buffer = ctypes.POINTER(ctypes.c_ubyte)()
    size = ctypes.c_ulong(0)
    # TJPF_RGB = 0; TJFLAG_ACCURATEDCT keeps the output the same everywhere.
    failed = tj.tjCompress2(handle, pixels, width, 0, height, 0, ctypes.byref(buffer),
                            ctypes.byref(size), subsampling, 75, 4096)
    data = None if failed else ctypes.string_at(buffer, size.value)
    tj.tjFree(buffer)
    tj.tjDestroy(handle)
    return data


# ---- the targets' seeds


def answer_fuzz():
    # Byte 0: bit 0 picks the tunnel form; the rest is what arrived.
    bodies = {
        "record": answer([b"0", b"5#0", b"0#1", "200#^AВойна и мир^EРоман".encode(), "700#^AТолстой".encode()]),
        "search": answer([b"0", b"2", b"1#War and peace", b"3#Peace"], b"K"),
        "binary": answer([b"0"], b"L", binary=b"GIF89a\x01\x00\x01\x00\x00\x00\x00;"),
        "no-length": (b"N\r\n123456\r\n5\r\n" + CRLF * 7 + b"0\r\n"),
        "cut": answer([b"0", b"5#0"])[:-2],
        "other-client": answer([b"0"], client=b"654321"),
        "error": answer([b"-140"], b"C"),
        "lf-only": answer([b"0", b"1#A"]).replace(CRLF, b"\n"),
    }
    seeds = {}
    for name, body in bodies.items():
        seeds["plain-" + name] = b"\x00" + body
        seeds["tunnel-" + name] = b"\x01" + tunnel(body)
    seeds["tunnel-short"] = b"\x01HTTP/1.0\r\nTALOR_START_REQUEST\r\nC\r\n123456\r\n5\r\n"
    return seeds


BARCODE_TEXTS = {
    0: b"12345678", 1: b"1234567", 2: b"987654", 3: b"CODE39 TEXT", 4: b"code39 ext!",
    5: b"ABC123", 6: b"Abc-123", 7: b"12345678", 8: b"CODE93", 9: b"code93 ext",
    10: b"1234567", 11: b"12345", 12: b"A1234B", 13: b"1234567", 14: b"978020137962",
    15: b"03600029145", 16: b"0123456", 17: b"1123456", 18: b"12", 19: b"52495",
    20: b"LIB-0042", 21: b"lib0042", 22: b"00123456",
}


def barcode_fuzz():
    # Bytes 0-7: type + 1, module, ratio, check/show bits, angle (2 bytes),
    # height + 16, left/top; then the text. The whole input is also read as
    # a bitmap.
    seeds = {}
    for index, (kind, text) in enumerate(sorted(BARCODE_TEXTS.items())):
        angle = [32768, 32768 + 630, 32768 + 1260, 32768 - 315][index % 4]
        show = (index % 4) << 2
        settings = bytes([kind + 1, 1 + index % 3, 64 + 32 + index % 16, show | index % 2,
                          angle >> 8, angle & 0xFF, 16 + 20 + index % 30, index % 5])
        seeds["type%02d" % kind] = settings + text
    seeds["bad-type"] = bytes([25, 2, 96, 0, 128, 0, 50, 0]) + b"123"
    seeds["bad-text"] = bytes([15, 2, 96, 1, 128, 0, 50, 0]) + b"12AB"
    seeds["bitmap"] = bitmap(6, 4, lambda x, y: (255, 255, 255) if (x + y) % 2 else (0, 0, 0))
    return seeds


def command_answers_fuzz():
    # Byte 0: the operation (% 14) and its flags; then the answer's lines
    # (split at LF) and, after a byte 0, binary data.
    record = wire_lines(5, [(200, b"^AWar and peace"), (700, b"^ATolstoy^BL.")])
    seeds = {
        "00-read-record": b"\x00" + b"\n".join([b"0"] + record),
        "00-read-absent": b"\x00-600\n5#0",
        "10-read-locked": b"\x10" + b"\n".join([b"0", b"5#64", b"0#3", b"200#^AX"]),
        "01-write": b"\x01" + b"0\n5#0",
        "01-write-stored": b"\x01" + b"\n".join([b"0"] + wire_lines(6, [(200, b"^AValue")], 2)),
        "01-write-refused": b"\x01" + b"0\n-603",
        "02-write-batch": b"\x02" + b"0\n7#0\n-602\n8#0",
        "03-format": b"\x03" + b"0\n2#<b>Second</b>\n1#First\n2#Second again",
        "03-format-bad": b"\x03" + b"0\nno number",
        "04-search": b"\x04" + b"0\n3\n1#War and peace\n2#Anna Karenina\n3#Resurrection",
        "04-search-none": b"\x04" + b"0\n0",
        "05-terms": b"\x05" + b"0\n3#A\n1#AB\n12#ABC",
        "06-postings": b"\x06" + b"0\n1#200#1#1\n3#200#1#2\n9#610#2#1",
        "16-postings": b"\x16" + b"0\n1#200#1#1",
        "07-formatted-postings": b"\x07" + b"0\n1#200#1#1#War and peace\n3#200#1#2#Peace",
        "08-text": b"\x08" + b"0\n'<b>',v200^a,'</b>'\n/* note",
        "09-binary": b"\x09" + b"0\0" + gif(4, 4, lambda x, y: (x + y) % 4),
        "10-register": b"\x0a" + b"0\ntalor-server\n[Navigator]\nSEARCHPORTION=5\n[MAIN]",
        "10-register-refused": b"\x0a" + b"-3337",
        "11-collect-forward": b"\x1b" + b"0\n2#K=PEACE\n1#K=WAR",
        "12-collect-backward": b"\x2c" + b"0\n1#K=ZEAL\n4#K=YEAR",
        "13-full-text": b"\x0d" + "0\n2\n4#Война и мир\n7#Мир".encode(),
    }
    return seeds


def format_texts():
    texts = {}
    for path in files_under("data/demo", ".pft"):
        name = os.path.relpath(path, DEMO).replace("/", "-")
        with open(path, "rb") as f:
            texts[name] = ansi_to_utf8(f.read())
    pattern = r"(v\d|mfn|&u|\bif\b|\(|'.*'|\|)"
    for i, literal in enumerate(test_literals(pattern, "format")[:400]):
        texts["test%03d" % i] = literal
    return texts


def format_fuzz():
    # Byte 0 even: the rest is a format text run against a fixed record;
    # odd: lines "tag#value" of a record run through fixed formats.
    seeds = {"format-" + name: b"\x00" + text for name, text in format_texts().items()}
    for i, record in enumerate(exchange_records()):
        lines = b"\n".join(b"%d#%s" % (tag, value) for tag, value in record)
        seeds["record%02d" % i] = b"\x01" + lines
    return seeds


def hex_decode_fuzz():
    return {"upper": b"48656C6C6F", "lower": b"d092d0bed0b9", "odd": b"ABC",
            "bad-pair": b"4G6Z 1", "mixed": b"00fF7e80", "empty": b""}


def image_underline_fuzz():
    # Byte 0 bit 0: JPEG; bytes 1-8: two word boxes; then the image. The
    # whole input is also read as word-position answer lines.
    boxes = bytes([2, 2, 12, 8, 6, 10, 30, 14])
    seeds = {
        "gif": b"\x00" + boxes + gif(32, 16, lambda x, y: (x // 4 + y // 4) % 4),
        "gif-interlaced": b"\x00" + boxes + gif(16, 12, lambda x, y: x % 3, True),
        "gif-page": b"\x00" + boxes + read("data", "demo", "db", "DEMO", "files",
                                           "page_0001.gif"),
        "words": read("data", "demo", "db", "DEMO", "files", "page_0001.gif.words"),
    }
    for name, sampling in (("jpeg-444", 0), ("jpeg-420", 2), ("jpeg-gray", 3)):
        data = jpeg(24, 16, sampling)
        if data:
            seeds[name] = b"\x01" + boxes + data
    return seeds


def ini_fuzz():
    # The INI text, then after a last byte 1 a value to store (up to a byte
    # 2 also a key name).
    messages = read("data", "TALORMSG.TXT").split(CRLF)
    return {
        "settings": read("data", "demo", "settings.ini") + b"\x01@1",
        "example": read("data", "Talor_Navigator.example.ini") + b"\x01value with = sign",
        "messages": CRLF.join(messages[:40]) + b"\x01@12",
        "odd": b"; comment\r\n[A]\r\nk=v\r\n[a]\r\nK = w \r\n[]\r\n=x\r\nnoequals\n[B\r\nz=1"
               b"\x01key\x02",
        "empty-value": b"[Main]\nA=\n\x01",
        "lf": b"[CONTEXT]\nInitURL=TALOR:3,1,DEMO,index.html\nUSERNAME=u\n\x01new\r\nline",
    }


def iso2709_fuzz():
    records = exchange_records()
    seeds = {"record%02d" % i: iso_record(r) for i, r in enumerate(records[:8])}
    seeds["many"] = b"".join(iso_record(r) for r in records[:4])
    seeds["crlf-between"] = b"\r\n".join(iso_record(r) for r in records[:3])
    seeds["cut"] = iso_record(records[0])[:-20]
    seeds["leader-only"] = b"00026000002200025000450 \x1e\x1d"
    return seeds


def issue_list_fuzz():
    # Byte 0: bit 0 cumulate, bit 1 month names.
    return {"expand": b"\x00" + b"1,2,3,5,6", "cumulate": b"\x01" + b"1-3,4,7-9,8,2",
            "months": b"\x02" + b"Jan,Feb,Mar,May", "months-cumulate": b"\x03" + b"Jan-Mar,Jun",
            "special": b"\x01" + b"1,spec. issue,2,3", "leading-zero": b"\x00" + b"10,09,11",
            "separators": b"\x01" + b" , ;;7;5 6"}


def navigation_params_fuzz():
    # The address, LF, then the POST body.
    seeds = {}
    for i, url in enumerate(pseudo_urls()[:120]):
        seeds["url%03d" % i] = url
    body = (b"--b\r\nContent-Disposition: form-data; name=\"S21STR\"\r\n\r\nwar and peace\r\n"
            b"--b\r\nContent-Disposition: form-data; name=\"S21P01\"\r\n\r\n1\r\n--b--\r\n")
    seeds["post"] = b"TALOR:1,,DEMO,brief?S21CNR=10\n" + body
    seeds["post-lf"] = (b"TALOR:?C21COM=2&I21DBN=SERIALS\n"
                        b"--b\nContent-Disposition: form-data; name=\"KEY\"\n\nK=1\n")
    seeds["post-cyrillic"] = (
        b"TALOR:1,,DEMO?S21ALL=%3C.%3EK%3D%D0%92%D0%9E%D0%99%D0%9D%D0%90%3C.%3E\n"
        b"-----------------------------7e81a2b3c4d5e\r\nContent-Disposition: form-data; "
        b"name=\"S21STR\"\r\n\r\n\xd0\x92\xd0\xbe\xd0\xb9\xd0\xbd\xd0\xb0 \xd0\xb8 \xd0\xbc"
        b"\xd0\xb8\xd1\x80\r\n-----------------------------7e81a2b3c4d5e--\r\n")
    seeds["free"] = b"TALOR:8,,SERIALS,brief.pft?FREEPAR0=a&FREEPAR3=b%26c&TOPPFTNAME=top&S21CNR=12"
    seeds["resource"] = b"TALOR:3,1,DEMO,a,b.html?FREEPAR0=RECORD%2042"
    return seeds


def page_view_fuzz():
    seeds = {}
    for path in files_under("data/demo", ".html"):
        with open(path, "rb") as f:
            seeds[os.path.basename(path)] = f.read()
    seeds["markers"] = (b"<html><body><TALOR Type=\"0\"></TALOR>. <TALOR Type=\"1\">x</TALOR>"
                        b"<img src=\"TALOR:3,10,,logo.gif\"><input type=checkbox name=SEL value=1>"
                        b"<form action=\"TALOR:1\" enctype=\"multipart/form-data\" method=post>"
                        b"<input name=S21STR><select name=I21DBN><option selected>DEMO</select>"
                        b"<textarea name=T>a\r\nb</textarea></form></body></html>")
    seeds["fragment"] = b"<p>Unclosed <b>bold <i>nested</p><a:b:c>colon</a:b:c><!-- note --> &amp;"
    seeds["script"] = b"<head><title>T</title><script>if (a < b) x();</script></head><table><tr>"
    return seeds


def range_list_fuzz():
    return {"plain": b"1-3,7", "prefix": b"N08-N10", "same": b"5-5", "spaces": b" 1 - 3 ",
            "letters": b"ab-ab", "reverse": b"7-3", "mixed": b"A1-B3", "double": b"1-2-3",
            "open": b"-5,5-", "wide": b"1-99999999"}


def record_answer_fuzz():
    lines = [b""] * 10
    records = exchange_records()
    seeds = {}
    for i, record in enumerate(records[:6]):
        seeds["record%02d" % i] = CRLF.join(lines + [b"0"] + wire_lines(i + 1, record))
    seeds["statuses"] = CRLF.join(lines + [b"0", b"5#1#64", b"0#2", b"200#^AX"])
    seeds["absent"] = CRLF.join(lines + [b"-600"])
    seeds["short"] = b"\n\n\n0\n"
    return seeds


def record_text_fuzz():
    # Byte 0 % 4: length of a subfield spec taken from the following bytes.
    records = exchange_records()
    seeds = {}
    for i, record in enumerate(records[:6]):
        seeds["record%02d" % i] = bytes([i % 4]) + record_text(i + 1, record)
    seeds["deleted"] = b"\x01" + one_line([b"0", b"9#1", b"0#4", b"200#^Aa^Bb"])
    seeds["spec-star"] = b"\x02*a" + record_text(3, [(200, b"Lead^Aa^Bb")])
    seeds["bare"] = b"\x00" + b"0\x1f\x1e"
    return seeds


def server_request_fuzz():
    record = one_line(wire_lines(0, [(200, b"^ANew record"), (610, b"new")]))
    parameters = {
        b"A": [b"u", b"p"], b"B": [b"u"], b"N": [], b"O": [b"DEMO"],
        b"C": [b"DEMO", b"1", b"0", b""],
        b"G": [b"DEMO", b"v200^a,' / ',v700", b"0", b"1", b"3"],
        b"H": [b"DEMO", b"K=WAR", b"5", b"v200"], b"P": [b"DEMO", b"K=PEACE", b"5"],
        b"I": [b"DEMO", b"1", b"0", b"", b"K=WAR"],
        b"K": [b"DEMO", b"\"K=WAR$\" * \"K=PEACE\"", b"10", b"1", b"@brief"],
        b"R": [b"DEMO", b"", b"10", b"1", b"v200", b"0", b"0", b"",
               b"\xd0\xbc\xd0\xb8\xd1\x80\x1f\x1f1\x1f\x1f-1\x1f\x1f100"],
        b"V": [b"DEMO", b"2", b"WAR", b"PEACE"],
        b"L": [b"10.DEMO.brief.pft"], b"D": [b"DEMO", b"0", b"1", record],
    }
    seeds = {}
    for command, params in parameters.items():
        name = command.decode()
        seeds[name] = request(command, params)
        seeds[name + "-packet"] = packet(command, params)
    seeds["G-client-record"] = request(b"G", [b"DEMO", b"v200", b"-2", record])
    seeds["G-list"] = request(b"G", [b"DEMO", b"mfn", b"2", b"1", b"3", b"2"])
    seeds["K-resent"] = request(b"K", [b"DEMO", b"\"K=WAR\"", b"5", b"1", b""], resent=True)
    seeds["stop"] = b"K\nR\n4\n123456\n5\np\nu\n\n\n\n1"
    seeds["L-binary"] = request(b"L", [b"10.DEMO.@files/page_0001.gif"])
    return seeds


def server_search_fuzz():
    seeds = {}
    for i, literal in enumerate(test_literals(r"[A-Za-zА-Я]=|[*+^.]|\$|/\(", "server")[:60]):
        if len(literal) < 200:
            seeds["test%02d" % i] = literal
    seeds["format"] = b"v200^a,' : ',v200^b,(v200/),mfn"
    seeds["nested"] = b"((\"K=WAR$\" + \"T=PEACE\") * \"A=TOLSTOY\"/(700,701)) ^ \"K=X\""
    return seeds


def stem_cut_fuzz():
    words = read("tools", "stem_exception_seeds.txt").decode("utf-8").split()
    seeds = {"word%02d" % i: w.encode("cp1251") for i, w in enumerate(words[:12])}
    for i, w in enumerate(["читающимися", "книгами", "библиотека", "мыться", "РОМАН-ГАЗЕТА",
                           "ёлка", "abc"]):
        seeds["extra%d" % i] = w.encode("cp1251")
    return seeds


def text_exchange_fuzz():
    records = exchange_records()
    return {
        "demo": read("data", "demo", "db", "DEMO", "DEMO.txt")[:6000],
        "serials": read("data", "demo", "db", "SERIALS", "SERIALS.txt")[:6000],
        "lf": text_exchange(records[:3], b"\n"),
        "ansi": text_exchange(records[2:4]).decode("utf-8").encode("cp1251", "replace"),
        "continued": b"#200: ^AFirst line\r\nsecond line\r\n#700: x\r\n*****\r\n#1:\r\n",
        "no-end": b"#10: a\r\n#20: b",
    }


def unifor_fuzz():
    # One argument of &uf a line; at most sixteen.
    arguments = []
    for path in files_under("tests/format", ".cc"):
        with open(path, encoding="utf-8") as f:
            source = f.read()
        arguments += [unescape_c(a) for a in re.findall(r"&uf\('((?:[^'\\]|\\.)*)'\)", source)]
    arguments = sorted(set(a for a in arguments if a), key=lambda a: (a[:2], a))
    groups = {}
    for argument in arguments:
        key = argument[:2] if argument[:1] == b"+" else argument[:1]
        groups.setdefault(key, []).append(argument)
    seeds = {}
    for key, members in sorted(groups.items()):
        label = re.sub(rb"[^A-Za-z0-9]", b"_", key).decode() or "_"
        for part in range(0, len(members), 16):
            chunk = members[part:part + 16]
            seeds["key-%s-%d" % (label, part // 16)] = b"\n".join(
                a.replace(b"\n", b"\r") for a in chunk)
    return seeds


def url_decode_fuzz():
    return {"form": b"S21STR=war+and+peace&I21DBN=DEMO",
            "utf8": b"%D0%92%D0%9E%D0%99%D0%9D%D0%90",
            "bad": b"%G1%%2%zz+%", "lines": b"a=1%0D%0Ab=2&c=%26", "plain": b"TALOR:1,,DEMO"}


TARGETS = {name: function for name, function in list(globals().items()) if name.endswith("_fuzz")}


def main():
    corpus = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "fuzz", "corpus")
    sources = sorted(n[:-3] for n in os.listdir(os.path.join(ROOT, "fuzz")) if n.endswith("_fuzz.cc"))
    missing = [name for name in sources if name not in TARGETS]
    if missing:
        sys.exit("no seeds for: " + " ".join(missing))
    for target in sources:
        folder = os.path.join(corpus, target)
        os.makedirs(folder, exist_ok=True)
        seeds = TARGETS[target]()
        for name, data in seeds.items():
            with open(os.path.join(folder, "seed-" + name), "wb") as f:
                f.write(data)
        print("%-24s %4d seeds" % (target, len(seeds)))


if __name__ == "__main__":
    main()
