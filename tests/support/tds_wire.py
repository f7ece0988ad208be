"""TDS 7.x message framing, request parsing and answer tokens for the test server.

Only what FreeTDS's ODBC driver sends to a SQL Server and reads back from it is covered.
"""

import datetime
import decimal
import struct

# Packet types.
SQL_BATCH = 0x01
RPC = 0x03
TABULAR = 0x04
ATTENTION = 0x06
LOGIN7 = 0x10
PRELOGIN = 0x12

STATUS_EOM = 0x01

# DONE status bits.
DONE_MORE = 0x01
DONE_ERROR = 0x02
DONE_COUNT = 0x10
DONE_ATTN = 0x20

# Well-known procedure ids an RPC may name instead of a procedure name.
PROC_IDS = {
    1: "sp_cursor",
    2: "sp_cursoropen",
    3: "sp_cursorprepare",
    4: "sp_cursorexecute",
    5: "sp_cursorprepexec",
    6: "sp_cursorunprepare",
    7: "sp_cursorfetch",
    8: "sp_cursoroption",
    9: "sp_cursorclose",
    10: "sp_executesql",
    11: "sp_prepare",
    12: "sp_execute",
    13: "sp_prepexec",
    14: "sp_prepexecrpc",
    15: "sp_unprepare",
}


class Collation:
    """The five collation bytes and the code page its single-byte texts use."""

    def __init__(self, lcid, flags, sort_id, codec, name):
        self.lcid = lcid
        self.flags = flags
        self.sort_id = sort_id
        self.codec = codec
        self.name = name

    def to_bytes(self):
        return struct.pack("<I", self.lcid | (self.flags << 20)) + bytes([self.sort_id])


# Case-insensitive, kana- and width-insensitive, accent-sensitive ("CI_AS").
CHINESE_PRC = Collation(0x0804, 0x0D, 0, "gbk", "Chinese_PRC_CI_AS")
LATIN1_GENERAL = Collation(0x0409, 0x0D, 52, "cp1252", "SQL_Latin1_General_CP1_CI_AS")

# Code pages by the language id of a collation, for texts of parameters sent as varchar.
_CODEC_BY_LCID = {0x0804: "gbk", 0x0404: "big5", 0x0409: "cp1252", 0x0411: "cp932", 0x0412: "cp949"}
_CODEC_BY_SORT_ID = {52: "cp1252", 51: "cp1252", 54: "cp1252", 30: "cp437", 40: "cp850"}


def codec_of(collation_bytes):
    if len(collation_bytes) < 5:
        return "cp1252"
    info = struct.unpack("<I", collation_bytes[:4])[0]
    sort_id = collation_bytes[4]
    if sort_id in _CODEC_BY_SORT_ID:
        return _CODEC_BY_SORT_ID[sort_id]
    if (info >> 26) & 1:
        return "utf-8"
    return _CODEC_BY_LCID.get(info & 0xFFFFF, "cp1252")


class WireError(Exception):
    pass


def read_exact(sock, count):
    data = bytearray()
    while len(data) < count:
        chunk = sock.recv(count - len(data))
        if not chunk:
            raise ConnectionError("client closed the connection")
        data += chunk
    return bytes(data)


def read_message(sock):
    """One request: its type, its payload joined over packets, and the number of packets."""
    payload = bytearray()
    packets = 0
    while True:
        header = read_exact(sock, 8)
        kind, status, length = header[0], header[1], struct.unpack(">H", header[2:4])[0]
        if length < 8:
            raise WireError("packet length %d" % length)
        payload += read_exact(sock, length - 8)
        packets += 1
        if status & STATUS_EOM:
            return kind, bytes(payload), packets


def frame(kind, payload, packet_size):
    """The packets of one answer, each at most packet_size long."""
    room = max(packet_size, 512) - 8
    out = bytearray()
    chunks = [payload[i : i + room] for i in range(0, len(payload), room)] or [b""]
    for number, chunk in enumerate(chunks, start=1):
        status = STATUS_EOM if number == len(chunks) else 0
        out += struct.pack(">BBHHBB", kind, status, len(chunk) + 8, 0, number & 0xFF, 0)
        out += chunk
    return bytes(out)


# --- Pre-login and login ---


def parse_prelogin(payload):
    options = {}
    pos = 0
    while pos < len(payload) and payload[pos] != 0xFF:
        token, offset, length = struct.unpack(">BHH", payload[pos : pos + 5])
        options[token] = payload[offset : offset + length]
        pos += 5
    return options


def prelogin_answer():
    """Version 15.0, encryption not supported, no instance, no MARS."""
    fields = [
        (0x00, bytes([15, 0, 0x07, 0xD0, 0, 0])),
        (0x01, bytes([0x02])),
        (0x02, bytes([0x00])),
        (0x03, b""),
        (0x04, bytes([0x00])),
    ]
    head_len = 5 * len(fields) + 1
    head = bytearray()
    body = bytearray()
    for token, data in fields:
        head += struct.pack(">BHH", token, head_len + len(body), len(data))
        body += data
    return bytes(head) + b"\xff" + bytes(body)


def _ucs2(payload, offset, chars):
    return payload[offset : offset + 2 * chars].decode("utf-16-le", "replace")


def decode_password(raw):
    # The client swapped the nibbles of each byte and then XORed it with 0xA5.
    plain = bytes(((x & 0x0F) << 4) | (x >> 4) for x in (b ^ 0xA5 for b in raw))
    return plain.decode("utf-16-le", "replace")


def parse_login7(payload):
    if len(payload) < 94:
        raise WireError("short LOGIN7")
    tds_version = struct.unpack("<I", payload[4:8])[0]
    packet_size = struct.unpack("<I", payload[8:12])[0]

    def field(at):
        offset, chars = struct.unpack("<HH", payload[at : at + 4])
        return offset, chars

    host = _ucs2(payload, *field(36))
    user = _ucs2(payload, *field(40))
    pw_offset, pw_chars = field(44)
    password = decode_password(payload[pw_offset : pw_offset + 2 * pw_chars])
    app = _ucs2(payload, *field(48))
    server = _ucs2(payload, *field(52))
    library = _ucs2(payload, *field(60))
    language = _ucs2(payload, *field(64))
    database = _ucs2(payload, *field(68))
    return {
        "tds_version": "%08x" % tds_version,
        "packet_size": packet_size,
        "host": host,
        "user": user,
        "password": password,
        "app": app,
        "server": server,
        "library": library,
        "language": language,
        "database": database,
    }


# --- Answer tokens ---


def b_varchar(text):
    data = text.encode("utf-16-le")
    return bytes([len(data) // 2]) + data


def us_varchar(text):
    data = text.encode("utf-16-le")
    return struct.pack("<H", len(data) // 2) + data


def env_change(kind, new, old):
    if kind == 7:  # collation: bytes, not text
        body = bytes([kind, len(new)]) + new + bytes([len(old)]) + old
    else:
        body = bytes([kind]) + b_varchar(new) + b_varchar(old)
    return b"\xe3" + struct.pack("<H", len(body)) + body


def login_ack(tds_version):
    body = bytes([1]) + struct.pack(">I", tds_version) + b_varchar("Microsoft SQL Server") + bytes([15, 0, 7, 0xD0])
    return b"\xad" + struct.pack("<H", len(body)) + body


def message(number, text, severity=16, state=1, server="zelvo-test", proc="", line=1, info=False):
    body = (
        struct.pack("<IBB", number, state, severity)
        + us_varchar(text)
        + b_varchar(server)
        + b_varchar(proc)
        + struct.pack("<I", line)
    )
    return (b"\xab" if info else b"\xaa") + struct.pack("<H", len(body)) + body


def done(status=0, count=0, token=0xFD, cur_cmd=0xC1):
    return bytes([token]) + struct.pack("<HHQ", status, cur_cmd, count)


def done_proc(status=0, count=0):
    return done(status, count, 0xFE, 0xE0)


def done_in_proc(status=0, count=0):
    return done(status, count, 0xFF, 0xC1)


def return_status(value):
    return b"\x79" + struct.pack("<i", value)


# --- Column types ---


class Column:
    """A result column: its name and TDS type; encode() turns a Python value into its row bytes."""

    def __init__(self, name, kind, collation=None):
        self.name = name
        self.kind = kind  # int, bigint, float, money, decimal, datetime, varchar, nvarchar
        self.collation = collation

    def type_info(self):
        k = self.kind
        if k == "int":
            return b"\x26\x04"
        if k == "bigint":
            return b"\x26\x08"
        if k == "float":
            return b"\x6d\x08"
        if k == "money":
            return b"\x6e\x08"
        if k == "decimal":
            return b"\x6a\x09" + bytes([18, 4])
        if k == "datetime":
            return b"\x6f\x08"
        if k == "varchar":
            return b"\xa7" + struct.pack("<H", 8000) + self.collation.to_bytes()
        if k == "nvarchar":
            return b"\xe7" + struct.pack("<H", 8000) + self.collation.to_bytes()
        raise ValueError(k)

    def metadata(self):
        # User type 0; flags: nullable, updatable unknown.
        return struct.pack("<IH", 0, 0x0009) + self.type_info() + b_varchar(self.name)

    def encode(self, value):
        k = self.kind
        if k in ("varchar", "nvarchar"):
            if value is None:
                return b"\xff\xff"
            text = value if isinstance(value, str) else format_number(value)
            if k == "nvarchar":
                data = text.encode("utf-16-le")
            else:
                try:
                    data = text.encode(self.collation.codec)
                except UnicodeEncodeError as e:
                    raise ConversionError(
                        "Unable to translate Unicode character %r at index %d to code page %s."
                        % (text[e.start], e.start, self.collation.codec)
                    ) from e
            return struct.pack("<H", len(data)) + data[:8000]
        if value is None:
            return b"\x00"
        if k in ("int", "bigint"):
            number = int(to_number(value))
            if k == "int":
                return b"\x04" + struct.pack("<i", number)
            return b"\x08" + struct.pack("<q", number)
        if k == "float":
            return b"\x08" + struct.pack("<d", float(to_number(value)))
        if k == "money":
            units = int(round(decimal.Decimal(str(to_number(value))) * 10000))
            return b"\x08" + struct.pack("<iI", units >> 32, units & 0xFFFFFFFF)
        if k == "decimal":
            units = int(round(decimal.Decimal(str(to_number(value))) * 10000))
            return b"\x09" + bytes([1 if units >= 0 else 0]) + struct.pack("<Q", abs(units))
        if k == "datetime":
            moment = parse_datetime(value)
            delta = moment - datetime.datetime(1900, 1, 1)
            ticks = round((delta.seconds + delta.microseconds / 1e6) * 300)
            return b"\x08" + struct.pack("<iI", delta.days, ticks)
        raise ValueError(k)


class ConversionError(Exception):
    pass


def format_number(value):
    if isinstance(value, float) and value.is_integer():
        return str(int(value))
    return str(value)


def to_number(value):
    if isinstance(value, (int, float)):
        return value
    if isinstance(value, decimal.Decimal):
        return float(value)
    try:
        text = str(value).strip()
        return int(text) if text.lstrip("-").isdigit() else float(text)
    except ValueError as e:
        raise ConversionError("Conversion failed when converting the value '%s' to a number." % value) from e


def parse_datetime(value):
    if isinstance(value, datetime.datetime):
        return value
    text = str(value).strip().replace("T", " ")
    for pattern in ("%Y-%m-%d %H:%M:%S.%f", "%Y-%m-%d %H:%M:%S", "%Y-%m-%d %H:%M", "%Y-%m-%d"):
        try:
            return datetime.datetime.strptime(text, pattern)
        except ValueError:
            pass
    raise ConversionError("Conversion failed when converting date and/or time from character string.")


def col_metadata(columns):
    return b"\x81" + struct.pack("<H", len(columns)) + b"".join(c.metadata() for c in columns)


def row(columns, values):
    return b"\xd1" + b"".join(c.encode(v) for c, v in zip(columns, values))


def return_value(ordinal, name, column, value):
    return (
        b"\xac"
        + struct.pack("<H", ordinal)
        + b_varchar(name)
        + bytes([0x01])
        + struct.pack("<IH", 0, 0x0009)
        + column.type_info()
        + column.encode(value)
    )


# --- Requests ---


class Reader:
    def __init__(self, data, pos=0):
        self.data = data
        self.pos = pos

    def take(self, count):
        if self.pos + count > len(self.data):
            raise WireError("request ends early")
        chunk = self.data[self.pos : self.pos + count]
        self.pos += count
        return chunk

    def u8(self):
        return self.take(1)[0]

    def u16(self):
        return struct.unpack("<H", self.take(2))[0]

    def u32(self):
        return struct.unpack("<I", self.take(4))[0]

    def at_end(self):
        return self.pos >= len(self.data)


def skip_all_headers(data):
    """TDS 7.2 and later put ALL_HEADERS (transaction descriptor etc.) before a batch or RPC."""
    if len(data) >= 4:
        total = struct.unpack("<I", data[:4])[0]
        if 4 <= total <= len(data) and (total == 4 or struct.unpack("<I", data[4:8])[0] <= total):
            return total
    return 0


def parse_batch(payload):
    return payload[skip_all_headers(payload) :].decode("utf-16-le", "replace")


# Fixed-length types by their type byte: name and size.
_FIXED = {
    0x1F: ("null", 0),
    0x30: ("tinyint", 1),
    0x32: ("bit", 1),
    0x34: ("smallint", 2),
    0x38: ("int", 4),
    0x3A: ("smalldatetime", 4),
    0x3B: ("real", 4),
    0x3C: ("money", 8),
    0x3D: ("datetime", 8),
    0x3E: ("float", 8),
    0x7A: ("smallmoney", 4),
    0x7F: ("bigint", 8),
}
_BYTELEN = {0x24: "uniqueidentifier", 0x26: "intn", 0x68: "bitn", 0x6D: "floatn", 0x6E: "moneyn", 0x6F: "datetimen"}
_USHORT_TEXT = {0xA7: "varchar", 0xAF: "char", 0xE7: "nvarchar", 0xEF: "nchar"}
_USHORT_BIN = {0xA5: "varbinary", 0xAD: "binary"}


def _fixed_value(name, raw):
    size = len(raw)
    if name in ("tinyint",):
        return raw[0]
    if name in ("bit", "bitn"):
        return int(raw[0] != 0)
    if name in ("smallint", "int", "bigint", "intn"):
        return int.from_bytes(raw, "little", signed=size > 1 or name != "intn")
    if name in ("real", "float", "floatn"):
        return struct.unpack("<f" if size == 4 else "<d", raw)[0]
    if name in ("money", "smallmoney", "moneyn"):
        if size == 4:
            units = struct.unpack("<i", raw)[0]
        else:
            high, low = struct.unpack("<iI", raw)
            units = (high << 32) | low
        return float(decimal.Decimal(units) / 10000)
    if name in ("datetime", "smalldatetime", "datetimen"):
        if size == 4:
            days, minutes = struct.unpack("<HH", raw)
            moment = datetime.datetime(1900, 1, 1) + datetime.timedelta(days=days, minutes=minutes)
        else:
            days, ticks = struct.unpack("<iI", raw)
            moment = datetime.datetime(1900, 1, 1) + datetime.timedelta(days=days, seconds=ticks / 300)
        return moment.strftime("%Y-%m-%d %H:%M:%S")
    if name == "uniqueidentifier":
        return raw.hex()
    return raw.hex()


def _plp(reader):
    total = struct.unpack("<Q", reader.take(8))[0]
    if total == 0xFFFFFFFFFFFFFFFF:
        return None
    data = bytearray()
    while True:
        chunk = reader.u32()
        if chunk == 0:
            return bytes(data)
        data += reader.take(chunk)


def _scaled_int(raw):
    return int.from_bytes(raw, "little")


def read_param_value(reader):
    """TYPE_INFO and value of one RPC parameter: (type text, Python value)."""
    kind = reader.u8()
    if kind in _FIXED:
        name, size = _FIXED[kind]
        raw = reader.take(size)
        return name, (None if kind == 0x1F else _fixed_value(name, raw))
    if kind in _BYTELEN:
        name = _BYTELEN[kind]
        max_len = reader.u8()
        length = reader.u8()
        if length == 0:
            return "%s(%d)" % (name, max_len), None
        return "%s(%d)" % (name, max_len), _fixed_value(name, reader.take(length))
    if kind in (0x6A, 0x6C, 0x37, 0x3F):
        reader.u8()
        precision, scale = reader.u8(), reader.u8()
        length = reader.u8()
        type_name = "decimal(%d,%d)" % (precision, scale)
        if length == 0:
            return type_name, None
        raw = reader.take(length)
        number = decimal.Decimal(_scaled_int(raw[1:])).scaleb(-scale)
        return type_name, float(number if raw[0] == 1 else -number)
    if kind == 0x28:  # date
        length = reader.u8()
        if length == 0:
            return "date", None
        days = int.from_bytes(reader.take(3), "little")
        return "date", (datetime.date(1, 1, 1) + datetime.timedelta(days=days)).isoformat()
    if kind in (0x29, 0x2A, 0x2B):  # time, datetime2, datetimeoffset
        scale = reader.u8()
        length = reader.u8()
        names = {0x29: "time", 0x2A: "datetime2", 0x2B: "datetimeoffset"}
        if length == 0:
            return names[kind], None
        raw = reader.take(length)
        time_len = {0: 3, 1: 3, 2: 3, 3: 4, 4: 4, 5: 5, 6: 5, 7: 5}[scale]
        units = int.from_bytes(raw[:time_len], "little")
        seconds = units / (10**scale)
        if kind == 0x29:
            return "time", str(datetime.timedelta(seconds=seconds))
        days = int.from_bytes(raw[time_len : time_len + 3], "little")
        moment = datetime.datetime(1, 1, 1) + datetime.timedelta(days=days, seconds=seconds)
        return names[kind], moment.strftime("%Y-%m-%d %H:%M:%S")
    if kind in _USHORT_TEXT:
        name = _USHORT_TEXT[kind]
        max_len = reader.u16()
        collation = reader.take(5)
        if max_len == 0xFFFF:
            raw = _plp(reader)
            type_name = "%s(max)" % name
        else:
            length = reader.u16()
            raw = None if length == 0xFFFF else reader.take(length)
            type_name = "%s(%d)" % (name, max_len // 2 if name[0] == "n" else max_len)
        if raw is None:
            return type_name, None
        if name[0] == "n":
            return type_name, raw.decode("utf-16-le", "replace")
        return type_name, raw.decode(codec_of(collation), "replace")
    if kind in _USHORT_BIN:
        max_len = reader.u16()
        if max_len == 0xFFFF:
            raw = _plp(reader)
        else:
            length = reader.u16()
            raw = None if length == 0xFFFF else reader.take(length)
        return _USHORT_BIN[kind], raw
    if kind in (0x23, 0x63, 0x22):  # text, ntext, image
        reader.u32()
        collation = reader.take(5) if kind != 0x22 else b""
        length = reader.u32()
        names = {0x23: "text", 0x63: "ntext", 0x22: "image"}
        if length == 0xFFFFFFFF:
            return names[kind], None
        raw = reader.take(length)
        if kind == 0x63:
            return "ntext", raw.decode("utf-16-le", "replace")
        if kind == 0x23:
            return "text", raw.decode(codec_of(collation), "replace")
        return "image", raw
    raise WireError("parameter type 0x%02x" % kind)


def parse_rpc(payload):
    """The procedure calls of one RPC request: a list of (procedure name, [param dicts])."""
    reader = Reader(payload, skip_all_headers(payload))
    calls = []
    while not reader.at_end():
        name_len = reader.u16()
        if name_len == 0xFFFF:
            proc = PROC_IDS.get(reader.u16(), "proc?")
        else:
            proc = reader.take(2 * name_len).decode("utf-16-le")
        reader.u16()  # option flags
        params = []
        while not reader.at_end() and reader.data[reader.pos] not in (0x80, 0xFF, 0xFE):
            name_chars = reader.u8()
            name = reader.take(2 * name_chars).decode("utf-16-le")
            status = reader.u8()
            type_name, value = read_param_value(reader)
            params.append({"name": name, "output": bool(status & 1), "type": type_name, "value": value})
        calls.append((proc, params))
        if not reader.at_end():
            reader.u8()  # batch separator
    return calls
