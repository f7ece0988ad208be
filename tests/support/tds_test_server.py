#!/usr/bin/env python3
"""A small SQL Server stand-in for the tests: speaks TDS 7.x to FreeTDS on 127.0.0.1 and answers from
an embedded order database file.

    tds_test_server.py --db order.db --log requests.jsonl [--control faults.json] [fault flags]

Prints "PORT <n>" on its first line once it listens. Every request is logged as one JSON line.
Faults come from the flags and from the control file, read again before every request:

    {"silent": false,              accept connections but never answer
     "answer_delay_ms": 0,         added before every answer
     "delay": [{"match": "re", "ms": 500}],
     "error": [{"match": "re", "message": "text", "number": 50000}],
     "drop": ["re"],               close the connection when a request matches
     "collation": "chinese"|"latin1",   default collation, taken at login
     "text_type": "varchar"|"nvarchar"} text columns' type
"""

import argparse
import json
import os
import re
import select
import socket
import socketserver
import sys
import threading
import time

# The modules beside this script; no bytecode is left in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import tds_sql  # noqa: E402
import tds_wire as wire  # noqa: E402


class Faults:
    """The fault switches: the command line's, overlaid by the control file's current content."""

    def __init__(self, args):
        self.base = {
            "silent": args.silent,
            "answer_delay_ms": args.answer_delay_ms,
            "delay": [parse_delay(d) for d in args.delay],
            "error": [{"match": e, "message": "the test server raised an error", "number": 50000} for e in args.error],
            "drop": list(args.drop),
            "collation": "latin1" if args.latin1 else "chinese",
            "text_type": "nvarchar" if args.nvarchar else "varchar",
        }
        self.control = args.control

    def current(self):
        values = dict(self.base)
        if self.control and os.path.exists(self.control):
            try:
                with open(self.control, encoding="utf-8") as f:
                    values.update(json.load(f))
            except (OSError, ValueError):
                pass
        return values


def parse_delay(text):
    pattern, _, ms = text.rpartition("=")
    return {"match": pattern, "ms": int(ms)}


class RequestLog:
    def __init__(self, path):
        self.path = path
        self.lock = threading.Lock()
        self.trips = 0

    def next_trip(self):
        with self.lock:
            self.trips += 1
            return self.trips

    def write(self, entry):
        line = json.dumps(entry, ensure_ascii=False, default=json_value)
        with self.lock:
            with open(self.path, "a", encoding="utf-8") as f:
                f.write(line + "\n")


def json_value(value):
    if isinstance(value, bytes):
        return value.hex()
    return str(value)


def matches(patterns, text, key="match"):
    for entry in patterns:
        pattern = entry[key] if isinstance(entry, dict) else entry
        if re.search(pattern, text, re.I | re.S):
            return entry
    return None


# Procedure batches of the station, as sent with bound values or with literals.
PROC_CHECK = re.compile(r"exec\s+G_TradeStockOutCHK\s+(.*?)\s*,\s*@bResult\s+output", re.I | re.S)
PROC_OVER = re.compile(r"exec\s+G_TradeOver\s+(.*?)\s*,\s*@bResult\s+output", re.I | re.S)
PROC_OUT = re.compile(r"exec\s+G_TradeStockOut\s+@TradeID\s*=\s*(.+?)\s*,\s*@Operator\s*=\s*(.+?)\s*;?\s*$", re.I | re.S)
RESULT_SELECT = re.compile(r"select\s+@bResult\s+(?:as\s+)?(\w+)", re.I)


def split_arguments(text):
    parts, current, quoted = [], "", False
    for ch in text:
        if ch == "'":
            quoted = not quoted
        if ch == "," and not quoted:
            parts.append(current.strip())
            current = ""
        else:
            current += ch
    parts.append(current.strip())
    return parts


class Arguments:
    """Resolves procedure arguments: @Pn, ?, quoted or numeric literals."""

    def __init__(self, values):
        self.values = values
        self.next = 0

    def value(self, token):
        token = token.strip()
        match = re.fullmatch(r"@P(\d+)", token, re.I)
        if match:
            return self.values[int(match.group(1)) - 1]
        if token == "?":
            self.next += 1
            return self.values[self.next - 1]
        match = re.fullmatch(r"N?'(.*)'", token, re.S)
        if match:
            return match.group(1).replace("''", "'")
        if token.upper() == "NULL":
            return None
        return float(token) if "." in token or "e" in token.lower() else int(token)


class Part:
    """One piece of an answer: rows, a count of changed rows, a procedure's end, or an error."""

    def __init__(self, kind, result=None, count=0, error=None, number=50000, proc=""):
        self.kind = kind
        self.result = result
        self.count = count
        self.error = error
        self.number = number
        self.proc = proc


class Session:
    """One client connection: its login, prepared statements and SET options."""

    def __init__(self, server, sock):
        self.server = server
        self.sock = sock
        self.packet_size = 4096
        self.nocount = False
        self.prepared = {}
        self.cursors = {}
        self.next_handle = 1
        self.store = None
        self.collation = wire.CHINESE_PRC
        self.text_type = "varchar"
        self.pending = []

    # --- Transport ---

    def send(self, payload):
        self.sock.sendall(wire.frame(wire.TABULAR, payload, self.packet_size))

    def receive(self):
        if self.pending:
            return self.pending.pop(0)
        return wire.read_message(self.sock)

    def wait(self, ms):
        """Waits ms milliseconds; True when an attention came meanwhile (the answer is dropped)."""
        end = time.monotonic() + ms / 1000.0
        while True:
            left = end - time.monotonic()
            if left <= 0:
                return False
            readable, _, _ = select.select([self.sock], [], [], left)
            if readable:
                message = wire.read_message(self.sock)
                if message[0] == wire.ATTENTION:
                    self.log({"kind": "attention", "packets": message[2], "trip": self.server.log.next_trip()})
                    return True
                self.pending.append(message)

    def log(self, entry):
        self.server.log.write(entry)

    # --- Requests ---

    def serve(self):
        while True:
            kind, payload, packets = self.receive()
            faults = self.server.faults.current()
            trip = self.server.log.next_trip()
            if kind == wire.PRELOGIN:
                self.log({"kind": "prelogin", "packets": packets, "trip": trip})
                if faults["silent"]:
                    continue
                self.sock.sendall(wire.frame(wire.TABULAR, wire.prelogin_answer(), 4096))
            elif kind == wire.LOGIN7:
                login = wire.parse_login7(payload)
                self.log(dict(login, kind="login", packets=packets, trip=trip))
                if faults["silent"]:
                    continue
                self.answer_login(login, faults)
            elif kind == wire.ATTENTION:
                self.log({"kind": "attention", "packets": packets, "trip": trip})
                self.send(wire.done(wire.DONE_ATTN))
            elif kind == wire.SQL_BATCH:
                text = wire.parse_batch(payload)
                self.log({"kind": "batch", "text": text, "packets": packets, "trip": trip})
                if self.before_answer(faults, text):
                    self.send(self.answer_batch(text, faults))
            elif kind == wire.RPC:
                calls = wire.parse_rpc(payload)
                answer = b""
                go_on = True
                for number, (proc, params) in enumerate(calls):
                    # SET options inside a procedure call last only for that call.
                    session_nocount = self.nocount
                    text, values, entry = self.describe_rpc(proc, params)
                    self.log(dict(entry, kind="rpc", proc=proc, packets=packets, trip=trip))
                    if number == 0:
                        go_on = self.before_answer(faults, text or proc)
                    if go_on:
                        answer += self.answer_rpc(proc, params, text, values, faults, number + 1 < len(calls))
                    self.nocount = session_nocount
                if go_on:
                    self.send(answer)
            else:
                self.log({"kind": "unknown", "type": kind, "packets": packets, "trip": trip})
                self.send(wire.message(16, "packet type %d not served" % kind) + wire.done(wire.DONE_ERROR))

    def before_answer(self, faults, text):
        """Applies silence, drops and delays; False when no answer goes out."""
        if faults["silent"]:
            return False
        if matches(faults["drop"], text):
            self.sock.shutdown(socket.SHUT_RDWR)
            raise ConnectionError("dropped on request")
        delay = matches(faults["delay"], text)
        total = (delay["ms"] if delay else 0) + int(faults.get("answer_delay_ms") or 0)
        if total and self.wait(total):
            self.send(wire.done(wire.DONE_ATTN))
            return False
        return True

    def answer_login(self, login, faults):
        self.packet_size = min(max(int(login["packet_size"]) or 4096, 512), 32767)
        self.collation = wire.LATIN1_GENERAL if faults.get("collation") == "latin1" else wire.CHINESE_PRC
        self.text_type = faults.get("text_type") or "varchar"
        self.store = tds_sql.OrderStore(self.server.db_path)
        database = login["database"] or "master"
        version = int(login["tds_version"], 16)
        body = (
            wire.env_change(1, database, "master")
            + wire.message(5701, "Changed database context to '%s'." % database, 0, info=True)
            + wire.env_change(7, self.collation.to_bytes(), b"")
            + wire.env_change(2, "us_english", "")
            + wire.login_ack(version if version >= 0x71000001 else 0x74000004)
            + wire.env_change(4, str(self.packet_size), "4096")
            + wire.done()
        )
        self.send(body)

    def describe_rpc(self, proc, params):
        """The statement text, its values and the log entry of one procedure call."""
        entry = {}
        text = None
        values = [p["value"] for p in params]
        name = proc.lower()
        if name == "sp_executesql" and len(params) >= 2:
            text, entry["declarations"] = params[0]["value"], params[1]["value"]
            values = values[2:]
            shown = params[2:]
        elif name == "sp_prepexec" and len(params) >= 3:
            entry["declarations"], text = params[1]["value"], params[2]["value"]
            values = values[3:]
            shown = params[3:]
        elif name == "sp_prepare" and len(params) >= 3:
            entry["declarations"], text = params[1]["value"], params[2]["value"]
            values = []
            shown = []
        elif name == "sp_execute" and params:
            entry["handle"] = params[0]["value"]
            text = self.prepared.get(params[0]["value"])
            values = values[1:]
            shown = params[1:]
        elif name == "sp_unprepare" and params:
            entry["handle"] = params[0]["value"]
            shown = []
        elif name == "sp_cursoropen" and len(params) >= 2:
            text = params[1]["value"]
            values = values[6:]
            shown = params[6:]
            entry["declarations"] = params[5]["value"] if len(params) > 5 else None
        else:
            shown = params
        entry["text"] = text
        entry["params"] = [{"name": p["name"], "type": p["type"], "value": p["value"]} for p in shown]
        return text, values, entry

    # --- Answers ---

    def answer_batch(self, text, faults):
        parts = self.run_text(text, [], faults)
        return self.encode(parts, in_proc=False, last=True)

    def answer_rpc(self, proc, params, text, values, faults, more):
        name = proc.lower()
        tail_status = wire.DONE_MORE if more else 0
        if name in ("sp_prepexec", "sp_prepare"):
            handle = self.next_handle
            self.next_handle += 1
            self.prepared[handle] = text
            body = b""
            if name == "sp_prepexec":
                body = self.encode(self.run_text(text, values, faults), in_proc=True, last=False)
            handle_column = wire.Column("", "int")
            return (
                body
                + wire.return_status(0)
                + wire.return_value(1, params[0]["name"], handle_column, handle)
                + wire.done_proc(tail_status)
            )
        if name in ("sp_execute", "sp_executesql"):
            if text is None:
                return wire.message(8179, "Could not find prepared statement with handle %s." % params[0]["value"]) + wire.done_proc(
                    tail_status | wire.DONE_ERROR
                )
            body = self.encode(self.run_text(text, values, faults), in_proc=True, last=False)
            return body + wire.return_status(0) + wire.done_proc(tail_status)
        if name == "sp_cursoropen":
            return self.open_cursor(params, text, values, faults, tail_status)
        if name == "sp_cursorfetch":
            return self.fetch_cursor(params, tail_status)
        if name == "sp_cursoroption":
            return wire.return_status(0) + wire.done_proc(tail_status)
        if name == "sp_cursorclose":
            self.cursors.pop(params[0]["value"], None)
            return wire.return_status(0) + wire.done_proc(tail_status)
        if name == "sp_unprepare":
            self.prepared.pop(params[0]["value"], None)
            return wire.return_status(0) + wire.done_proc(tail_status)
        return wire.message(2812, "Could not find stored procedure '%s'." % proc) + wire.done_proc(
            tail_status | wire.DONE_ERROR
        )

    def open_cursor(self, params, text, values, faults, tail_status):
        """A static cursor over the statement's rows; its columns now, its rows at each fetch."""
        parts = self.run_text(text, values, faults)
        rows_part = next((p for p in parts if p.kind == "rows"), None)
        errors = [p for p in parts if p.kind == "error"]
        if errors:
            return self.encode(errors, in_proc=True, last=False) + wire.return_status(-6) + wire.done_proc(tail_status | wire.DONE_ERROR)
        out = b""
        handle = 0
        count = 0
        if rows_part:
            result = rows_part.result
            columns = self.columns(result)
            handle = self.next_handle
            self.next_handle += 1
            self.cursors[handle] = {"columns": columns, "rows": result.rows, "position": 0}
            count = len(result.rows)
            out += wire.col_metadata(columns)
        int_column = wire.Column("", "int")
        out += wire.return_status(0)
        given = {0: handle, 2: params[2]["value"] if len(params) > 2 else 8, 3: params[3]["value"] if len(params) > 3 else 1, 4: count}
        for ordinal, param in enumerate(params[:5]):
            if param["output"]:
                out += wire.return_value(ordinal, param["name"], int_column, given.get(ordinal))
        return out + wire.done_proc(tail_status)

    def fetch_cursor(self, params, tail_status):
        cursor = self.cursors.get(params[0]["value"])
        if cursor is None:
            return wire.message(16916, "A cursor with the name '%s' does not exist." % params[0]["value"]) + wire.done_proc(
                tail_status | wire.DONE_ERROR
            )
        fetch = params[1]["value"] if len(params) > 1 else 2
        number = params[2]["value"] if len(params) > 2 and params[2]["value"] is not None else 0
        count = params[3]["value"] if len(params) > 3 and params[3]["value"] else 1
        total = len(cursor["rows"])
        start = {
            0x01: 0,
            0x02: cursor["position"],
            0x04: cursor["position"] - 2 * count,
            0x08: total - count,
            0x10: number - 1,
            0x20: cursor["position"] - count + number,
        }.get(fetch, cursor["position"])
        start = max(0, start)
        rows = cursor["rows"][start : start + count]
        cursor["position"] = start + len(rows)
        columns = cursor["columns"]
        return (
            wire.col_metadata(columns)
            + b"".join(wire.row(columns, r) for r in rows)
            + wire.done_in_proc(wire.DONE_MORE | wire.DONE_COUNT, len(rows))
            + wire.return_status(0)
            + wire.done_proc(tail_status)
        )

    def run_text(self, text, values, faults):
        """Runs a batch or a statement text; the parts of its answer."""
        kept = []
        for line in text.replace("\r", "").split("\n"):
            setting = re.match(r"\s*set\s+nocount\s+(on|off)\s*;?\s*$", line, re.I)
            if setting:
                self.nocount = setting.group(1).lower() == "on"
            elif "=" not in line and re.match(r"\s*set\s+\w+", line, re.I):
                continue  # a session option such as QUOTED_IDENTIFIER or TEXTSIZE
            elif re.match(r"\s*(declare\s+@|if\s+@@trancount|begin\s+tran|commit|rollback)\b", line, re.I):
                continue
            else:
                kept.append(line)
        rest = "\n".join(kept).strip()
        if not rest:
            return []
        error = matches(faults["error"], text)
        try:
            for pattern, runner in ((PROC_CHECK, self.run_check), (PROC_OVER, self.run_over), (PROC_OUT, self.run_stock_out)):
                match = pattern.search(rest)
                if match:
                    return runner(match, rest, Arguments(values), error)
            if error:
                return [Part("error", error=error.get("message", "error"), number=error.get("number", 50000))]
            parts = []
            for statement in tds_sql.split_statements(rest):
                result = self.store.run(statement, values)
                parts.append(Part("rows" if result.is_rows else "count", result=result, count=result.count))
            return parts
        except tds_sql.SqlError as e:
            return [Part("error", error=str(e), number=e.number)]
        except (IndexError, ValueError) as e:
            return [Part("error", error="bad procedure arguments: %s" % e, number=201)]

    def proc_result(self, rest, value, proc, error):
        """A procedure's end, then the select of its output variable."""
        parts = []
        if error:
            parts.append(Part("error", error=error.get("message", "error"), number=error.get("number", 50000), proc=proc))
            value = None
        parts.append(Part("procend", proc=proc, number=-6 if error else 0))
        name = RESULT_SELECT.search(rest)
        if name:
            parts.append(Part("rows", result=tds_sql.Result([name.group(1)], [(value,)], 1, ["varchar(50)"]), count=1))
        return parts

    def run_check(self, match, rest, args, error):
        tokens = split_arguments(match.group(1))
        trade = args.value(tokens[0])
        value = None if error else self.store.trade_stock_out_check(trade)
        return self.proc_result(rest, value, "G_TradeStockOutCHK", error)

    def run_over(self, match, rest, args, error):
        tokens = split_arguments(match.group(1))
        trade, packer, package, weight, postage, operator = (args.value(t) for t in tokens[:6])
        value = None if error else self.store.trade_over(trade, packer, package, weight, postage, operator)
        return self.proc_result(rest, value, "G_TradeOver", error)

    def run_stock_out(self, match, rest, args, error):
        trade, operator = args.value(match.group(1)), args.value(match.group(2))
        if error:
            return self.proc_result(rest, None, "G_TradeStockOut", error)
        try:
            self.store.trade_stock_out(trade, operator)
        except tds_sql.SqlError as e:
            return [Part("error", error=str(e), number=e.number, proc="G_TradeStockOut"), Part("procend", proc="G_TradeStockOut", number=-6)]
        return [Part("procend", proc="G_TradeStockOut", number=0)]

    def column(self, name, decltype, values):
        declared = (decltype or "").lower()
        present = [v for v in values if v is not None]
        if declared.startswith("int"):
            wide = any(isinstance(v, int) and not -(2**31) <= v < 2**31 for v in present)
            return wire.Column(name, "bigint" if wide else "int")
        if declared.startswith("numeric"):
            return wire.Column(name, "decimal")
        if declared.startswith("real"):
            return wire.Column(name, "money")
        if declared.startswith("varchar"):
            return wire.Column(name, "varchar", self.collation)
        if declared.startswith("text"):
            if name.lower().endswith("time") and present:
                return wire.Column(name, "datetime")
            return wire.Column(name, self.text_type, self.collation)
        first = present[0] if present else None
        if isinstance(first, bool) or isinstance(first, int):
            wide = any(isinstance(v, int) and not -(2**31) <= v < 2**31 for v in present)
            return wire.Column(name, "bigint" if wide else "int")
        if isinstance(first, float):
            return wire.Column(name, "float")
        return wire.Column(name, self.text_type, self.collation)

    def columns(self, result):
        return [self.column(n, t, [r[i] for r in result.rows]) for i, (n, t) in enumerate(zip(result.names, result.decltypes))]

    def encode(self, parts, in_proc, last):
        """Tokens of the parts; each statement ends in DONE (or DONEINPROC inside a procedure call)."""
        out = bytearray()
        statement_done = wire.done_in_proc if in_proc else wire.done
        for index, part in enumerate(parts):
            final = last and index == len(parts) - 1
            more = 0 if final else wire.DONE_MORE
            if part.kind == "rows":
                result = part.result
                try:
                    columns = self.columns(result)
                    body = wire.col_metadata(columns) + b"".join(wire.row(columns, r) for r in result.rows)
                except wire.ConversionError as e:
                    out += wire.message(8114, str(e)) + statement_done(more | wire.DONE_ERROR)
                    continue
                out += body + statement_done(more | (0 if self.nocount else wire.DONE_COUNT), len(result.rows))
            elif part.kind == "count":
                out += statement_done(more | (0 if self.nocount else wire.DONE_COUNT), part.count)
            elif part.kind == "error":
                out += wire.message(part.number, part.error, proc=part.proc)
                if not part.proc:
                    out += statement_done(more | wire.DONE_ERROR)
            elif part.kind == "procend":
                out += wire.return_status(part.number) + wire.done_proc(more | (wire.DONE_ERROR if part.number else 0))
        if last and not parts:
            out += wire.done()
        return bytes(out)


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        self.request.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        session = Session(self.server, self.request)
        try:
            session.serve()
        except (ConnectionError, OSError, wire.WireError):
            pass
        finally:
            if session.store:
                session.store.close()


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--db", required=True, help="the embedded order database file")
    parser.add_argument("--log", required=True, help="file the requests are appended to as JSON lines")
    parser.add_argument("--control", help="JSON file of fault switches, read before every request")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--silent", action="store_true", help="accept connections but never answer")
    parser.add_argument("--answer-delay-ms", type=int, default=0)
    parser.add_argument("--delay", action="append", default=[], metavar="REGEX=MS")
    parser.add_argument("--error", action="append", default=[], metavar="REGEX")
    parser.add_argument("--drop", action="append", default=[], metavar="REGEX")
    parser.add_argument("--latin1", action="store_true", help="default collation SQL_Latin1_General_CP1_CI_AS")
    parser.add_argument("--nvarchar", action="store_true", help="text columns as nvarchar")
    args = parser.parse_args()
    if not os.path.isfile(args.db):
        parser.error("no order database file %s" % args.db)

    server = Server(("127.0.0.1", args.port), Handler)
    server.db_path = args.db
    server.faults = Faults(args)
    server.log = RequestLog(args.log)
    print("PORT %d" % server.server_address[1], flush=True)
    # Ends when the test closes stdin or kills the process.
    threading.Thread(target=server.serve_forever, daemon=True).start()
    try:
        sys.stdin.read()
    except KeyboardInterrupt:
        pass
    server.shutdown()


if __name__ == "__main__":
    main()
