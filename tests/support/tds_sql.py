"""The order database behind the test server: the station's SQL Server statements rewritten for the
embedded SQLite file, and the three order-system procedures played on it.

A stand-in, not an SQL engine: a few rewrites cover the statements the program sends.
"""

import datetime
import re
import sqlite3

STATUS_READY_TO_SHIP = 5
STATUS_SHIPPED = 8

OK = "1"
TRADE_MISSING = "订单不存在"
WRONG_STATUS = "订单状态错误"
STOCKED_OUT = "订单已出库"
SHIPPED = "订单已发货"


class SqlError(Exception):
    """A statement the server refuses, with the number SQL Server would give."""

    def __init__(self, text, number=50000):
        super().__init__(text)
        self.number = number


class Result:
    """One answer part: rows with column names, or a count of changed rows."""

    def __init__(self, names=None, rows=None, count=0, decltypes=None):
        self.names = names
        self.rows = rows or []
        self.count = count
        self.decltypes = decltypes or []

    @property
    def is_rows(self):
        return self.names is not None


def _replace_datediff(sql):
    pattern = re.compile(r"datediff\s*\(\s*(day|dd|d)\s*,\s*([^,()]+(?:\(\))?)\s*,\s*([^,()]+(?:\(\))?)\s*\)", re.I)
    return pattern.sub(lambda m: "cast(julianday(date(%s)) - julianday(date(%s)) as integer)" % (m.group(3), m.group(2)), sql)


# "top 5" or "top (5)", "top (?3)": a number or a bound value.
_TOP = re.compile(r"(?is)\bselect\s+(distinct\s+)?top\s*(?:(\d+)|\(\s*(\d+|\?\d+)\s*\))\s*")


def _scope_end(sql, start):
    """Where the query starting at start ends: its closing parenthesis or the end of the text."""
    depth = 0
    quoted = False
    for index in range(start, len(sql)):
        ch = sql[index]
        if ch == "'":
            quoted = not quoted
        elif not quoted and ch == "(":
            depth += 1
        elif not quoted and ch == ")":
            if depth == 0:
                return index
            depth -= 1
    return len(sql)


def _replace_top(sql):
    """"select top N ..." becomes "select ... limit N", in subqueries too (innermost last)."""
    while True:
        matches = list(_TOP.finditer(sql))
        if not matches:
            return sql
        match = matches[-1]
        end = _scope_end(sql, match.end())
        head = "select " + (match.group(1) or "")
        body = sql[match.end() : end].rstrip()
        sql = sql[: match.start()] + head + body + " limit " + (match.group(2) or match.group(3)) + sql[end:]


def translate(sql):
    """A SQL Server statement as SQLite takes it; @P1.. and bare "?" become numbered parameters ?1..,
    so that a "top" moved to the end of its query keeps its value."""
    text = sql.strip().rstrip(";")
    if "?" in text and not re.search(r"\?\d", text):
        text = _positional(text)
    text = re.sub(r"@P(\d+)\b", r"?\1", text)
    text = re.sub(r"\bN'", "'", text)
    text = re.sub(r"\[(\w+)\]", r'"\1"', text)
    text = _replace_datediff(text)
    text = re.sub(r"(?i)\bgetdate\s*\(\s*\)", "datetime('now','localtime')", text)
    text = re.sub(r"(?i)\bisnull\s*\(", "ifnull(", text)
    text = re.sub(r"(?i)\bas\s+n?(?:var)?char\s*\(\s*(?:max|\d+)\s*\)", "as text", text)
    text = re.sub(r"(?i)\bas\s+n?(?:var)?char\b", "as text", text)
    text = re.sub(r"(?i)\blen\s*\(", "length(", text)
    text = re.sub(r"(?i)\bdelete\s+\*\s+from\b", "delete from", text)
    text = _replace_top(text)
    return text


_STATEMENT_START = re.compile(
    r"(?i)^\s*(select|insert|update|delete|exec|execute|alter|create|drop|truncate|with)\b"
)


def split_statements(text):
    """The statements of a batch: split at ";" and at line starts that begin a new statement,
    never inside quotes or parentheses."""
    statements = []
    current = []
    depth = 0
    quoted = False
    for line in text.split("\n"):
        if current and depth == 0 and not quoted and _STATEMENT_START.match(line):
            statements.append("\n".join(current))
            current = []
        piece = ""
        for ch in line:
            if ch == "'":
                quoted = not quoted
            elif not quoted and ch == "(":
                depth += 1
            elif not quoted and ch == ")":
                depth -= 1
            if ch == ";" and not quoted and depth == 0:
                current.append(piece)
                statements.append("\n".join(current))
                current, piece = [], ""
            else:
                piece += ch
        current.append(piece)
    statements.append("\n".join(current))
    return [s.strip() for s in statements if s.strip()]


def _positional(sql):
    """A statement with bare "?" markers numbered in order, as they are bound."""
    count = 0
    out = []
    in_quote = False
    for ch in sql:
        if ch == "'":
            in_quote = not in_quote
        if ch == "?" and not in_quote:
            count += 1
            out.append("?%d" % count)
        else:
            out.append(ch)
    return "".join(out)


def _like_pattern(pattern, escape):
    """A T-SQL like pattern as a regular expression: "%", "_", "[abc]", "[a-c]", "[^abc]" and the
    escape character; an unclosed "[" matches nothing."""
    out = []
    index = 0
    while index < len(pattern):
        ch = pattern[index]
        if escape and ch == escape and index + 1 < len(pattern):
            out.append(re.escape(pattern[index + 1]))
            index += 2
            continue
        if ch == "%":
            out.append(".*")
        elif ch == "_":
            out.append(".")
        elif ch == "[":
            close = pattern.find("]", index + 2 if pattern[index + 1 : index + 2] == "]" else index + 1)
            if close < 0:
                return None
            inner = pattern[index + 1 : close]
            negate = inner.startswith("^")
            if negate:
                inner = inner[1:]
            parts = []
            at = 0
            while at < len(inner):
                if at + 2 < len(inner) and inner[at + 1] == "-":
                    parts.append(re.escape(inner[at]) + "-" + re.escape(inner[at + 2]))
                    at += 3
                else:
                    parts.append(re.escape(inner[at]))
                    at += 1
            out.append("[" + ("^" if negate else "") + "".join(parts) + "]" if parts else "(?!)")
            index = close
        else:
            out.append(re.escape(ch))
        index += 1
    return "".join(out)


def tsql_like(pattern, value, escape=None):
    """X like Y [escape Z] as SQL Server does it under a case-insensitive collation."""
    if pattern is None or value is None:
        return None
    regex = _like_pattern(str(pattern), escape)
    if regex is None:
        return 0
    return int(re.fullmatch(regex, str(value), re.I | re.S) is not None)


def sqlite_value(value):
    if isinstance(value, bool):
        return int(value)
    if isinstance(value, float) and value.is_integer() and abs(value) < 2**53:
        return int(value)
    return value


class OrderStore:
    """One client's connection to the order file."""

    def __init__(self, path):
        self.db = sqlite3.connect(path, timeout=10, isolation_level=None)
        self.db.execute("PRAGMA busy_timeout = 10000")
        # SQLite runs "x like y escape z" as like(y, x, z).
        self.db.create_function("like", 2, tsql_like, deterministic=True)
        self.db.create_function("like", 3, tsql_like, deterministic=True)
        self._decltypes = None
        # @@TRANCOUNT of the client's own transactions.
        self.trancount = 0

    # --- The client's transactions: nested begins count, the outermost commit writes, any
    # rollback undoes them all ---

    def begin(self):
        if self.trancount == 0:
            self.db.execute("begin")
        self.trancount += 1

    def commit(self):
        if self.trancount == 0:
            raise SqlError("The COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION.", 3902)
        self.trancount -= 1
        if self.trancount == 0:
            try:
                self.db.execute("commit")
            except sqlite3.Error as e:
                self._rollback()
                raise SqlError("commit failed: %s" % e) from e

    def rollback(self):
        if self.trancount == 0:
            raise SqlError("The ROLLBACK TRANSACTION request has no corresponding BEGIN TRANSACTION.", 3903)
        self.trancount = 0
        self._rollback()

    def close(self):
        self.db.close()

    def decltypes(self):
        """Declared types of every column name of the file, for the answer's column types."""
        if self._decltypes is None:
            types = {}
            tables = [r[0] for r in self.db.execute("select name from sqlite_master where type = 'table'")]
            for table in tables:
                for column in self.db.execute('PRAGMA table_info("%s")' % table.replace('"', '""')):
                    types.setdefault(column[1].lower(), (column[2] or "").lower())
            self._decltypes = types
        return self._decltypes

    def run(self, sql, values):
        """Runs one translated statement with values for ?1..; a Result."""
        text = translate(sql)
        try:
            cursor = self.db.execute(text, [sqlite_value(v) for v in values])
        except sqlite3.Error as e:
            raise SqlError("%s (statement: %s)" % (e, text), 102 if "syntax" in str(e) else 208) from e
        if cursor.description is None:
            return Result(count=max(cursor.rowcount, 0))
        names = [d[0] for d in cursor.description]
        rows = cursor.fetchall()
        known = self.decltypes()
        return Result(names, rows, len(rows), [known.get(n.lower()) for n in names])

    # --- The order system's procedures, with the rules of the embedded engine ---

    def _trade_key(self, trade_id):
        try:
            return int(str(trade_id).strip())
        except ValueError:
            return None

    def _check(self, trade_id):
        """(result text, key, demands) inside the caller's transaction."""
        key = self._trade_key(trade_id)
        if key is None:
            return TRADE_MISSING, None, []
        trade = self.db.execute("select TradeStatus, bStockOut from G_Trade_TradeList where TradeID = ?", [key]).fetchone()
        if trade is None:
            return TRADE_MISSING, key, []
        if int(trade[0]) != STATUS_READY_TO_SHIP:
            return WRONG_STATUS, key, []
        if int(trade[1] or 0) != 0:
            return STOCKED_OUT, key, []
        demands = []
        lines = self.db.execute(
            "select l.GoodsID, l.SpecID, sum(l.SellCount), min(l.SellCount), g.GoodsName, "
            "case when l.SpecID = 0 then g.GoodsSpec else s.SpecName end, coalesce(st.Stock, 0) "
            "from G_Trade_GoodsList l "
            "left join G_Goods_GoodsList g on g.GoodsID = l.GoodsID "
            "left join G_Goods_GoodsSpec s on s.SpecID = l.SpecID "
            "left join G_Stock_Spec st on st.GoodsID = l.GoodsID and st.SpecID = l.SpecID "
            "where l.TradeID = ? group by l.GoodsID, l.SpecID order by min(l.RecID)",
            [key],
        ).fetchall()
        for goods_id, spec_id, count, smallest, name, variant, stock in lines:
            label = name if name is not None else "货品%s" % goods_id
            if variant:
                label += " " + str(variant)
            if smallest < 0:
                return "货品数量错误:" + label, key, []
            if count > stock:
                return "库存不足:" + label, key, []
            demands.append((goods_id, spec_id, count))
        return OK, key, demands

    def _transaction(self):
        self.db.execute("begin immediate")

    def _rollback(self):
        if self.db.in_transaction:
            self.db.execute("rollback")

    def trade_stock_out_check(self, trade_id):
        self._transaction()
        try:
            result, _, _ = self._check(trade_id)
            self.db.execute("commit")
            return result
        finally:
            self._rollback()

    def trade_stock_out(self, trade_id, operator):
        """Takes the trade's goods out of stock; a refusal raises SqlError with its text."""
        self._transaction()
        try:
            result, key, demands = self._check(trade_id)
            if result != OK:
                raise SqlError(result)
            for goods_id, spec_id, count in demands:
                if count == 0:
                    continue
                changed = self.db.execute(
                    "update G_Stock_Spec set Stock = Stock - ? where GoodsID = ? and SpecID = ?",
                    [count, goods_id, spec_id],
                ).rowcount
                if changed != 1:
                    raise SqlError("库存记录不存在:货品%s" % goods_id)
            self.db.execute("update G_Trade_TradeList set bStockOut = 1 where TradeID = ?", [key])
            self._log(key, operator, "订单出库", now_text())
            self.db.execute("commit")
        except sqlite3.Error as e:
            raise SqlError("数据库错误:%s" % e) from e
        finally:
            self._rollback()

    def trade_over(self, trade_id, packer, package, weight, postage, operator):
        weight = int(weight)
        postage = float(postage)
        if weight < 0:
            return "包裹重量错误"
        if postage != postage or postage in (float("inf"), float("-inf")) or postage < 0:
            return "邮资错误"
        key = self._trade_key(trade_id)
        if key is None:
            return TRADE_MISSING
        self._transaction()
        try:
            trade = self.db.execute("select TradeStatus from G_Trade_TradeList where TradeID = ?", [key]).fetchone()
            if trade is None:
                return TRADE_MISSING
            if int(trade[0]) != STATUS_READY_TO_SHIP:
                return SHIPPED if int(trade[0]) == STATUS_SHIPPED else WRONG_STATUS
            now = now_text()
            changed = self.db.execute(
                "update G_Trade_TradeList set TradeStatus = ?, PackagedWeight = ?, Postage = ?, Packer = ?, "
                "PackageName = ?, SndOperator = ?, SndTime = ? where TradeID = ? and TradeStatus = ?",
                [STATUS_SHIPPED, weight, postage, packer, package, packer or operator, now, key, STATUS_READY_TO_SHIP],
            ).rowcount
            if changed != 1:
                return WRONG_STATUS
            self._log(key, operator, "订单发货,包裹重量%d克,邮资%s元" % (weight, shortest(postage)), now)
            self.db.execute("commit")
            return OK
        finally:
            self._rollback()

    def _log(self, key, operator, detail, time):
        self.db.execute(
            "insert into G_Trade_Log (TradeID, Operator, LogDetail, LogTime) values (?, ?, ?, ?)",
            [key, operator, detail, time],
        )


def now_text():
    return datetime.datetime.now().strftime("%Y-%m-%d %H:%M:%S")


def shortest(number):
    """A number in its shortest general form: 12, 12.5."""
    text = repr(float(number))
    if text.endswith(".0"):
        text = text[:-2]
    return text
