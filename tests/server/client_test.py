#!/usr/bin/env python3
"""A client that is not ours: plain sockets and json, written from docs/protocol.md.

Starts ciap-server (path in argv[1]) on a temporary SQLite file with --demo, calls every
method and checks the documented answers. Exit status 0 when all checks hold.
"""
import datetime
import json
import os
import socket
import subprocess
import sys
import tempfile

OBJECT = "MZR02400.rdmCIAP"


class Client:
    def __init__(self, host, port):
        self.sock = socket.create_connection((host, port), timeout=30)
        self.sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        self.buf = b""
        self.next_id = 1

    def send_line(self, data):
        self.sock.sendall(data + b"\n")
        while b"\n" not in self.buf:
            chunk = self.sock.recv(65536)
            if not chunk:
                raise RuntimeError("connection closed")
            self.buf += chunk
        line, self.buf = self.buf.split(b"\n", 1)
        return json.loads(line)

    def call(self, method, *params):
        request = {"jsonrpc": "2.0", "method": OBJECT + "." + method, "params": list(params), "id": self.next_id}
        self.next_id += 1
        reply = self.send_line(json.dumps(request).encode("utf-8"))
        assert reply["id"] == request["id"], reply
        return reply

    def result(self, method, *params):
        reply = self.call(method, *params)
        assert "result" in reply, (method, reply)
        return reply["result"]


def rows(packet):
    """A packet as a list of dicts keyed by field name."""
    names = [f["name"] for f in packet["fields"]]
    return [dict(zip(names, r)) for r in packet["rows"]]


def month_text(d):
    return "%02d/%04d" % (d.month, d.year)


def main():
    server = sys.argv[1]
    with tempfile.TemporaryDirectory() as tmp:
        proc = subprocess.Popen([server, "--database", os.path.join(tmp, "py.db"), "--port", "0", "--demo"],
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        try:
            line = proc.stdout.readline().strip()
            assert line.startswith("listening on "), line
            host, port = line[len("listening on "):].rsplit(":", 1)
            c = Client(host, int(port))
            check(c)
        finally:
            proc.terminate()
            proc.wait(timeout=15)
        assert proc.returncode == 0, proc.returncode
    print("python client: all checks passed")


def check(c):
    today = datetime.date.today()
    assert c.result("getVerificaImposto", "01") == ["01"]
    assert c.result("getVerificaImposto", "02") == ["50"]

    regs = [r["CDINSCESTA"] for r in rows(c.result("getInscEsta", "01", "T", ""))]
    assert regs == ["110042490114", "110042490122"], regs
    assert rows(c.result("getInscEsta", "01", "", " 110042490122 ")) == [{"CDINSCESTA": "110042490122"}]
    assert c.result("getInscEsta", "01", "", "nope")["rows"] == []

    ciap = c.result("getCIAP", "01", "01", "2000-01-01", today.isoformat(), "Apropriado", "Pendente", "T")
    names = [f["name"] for f in ciap["fields"]]
    assert names == ["CDEMPRESA", "CDIMPOSTO", "COMPETENCIA", "VRSAIDACIAP", "VRSAIDATRIBCIAP", "VRCOEFICIAP",
                     "VRSALDOPARCCIAP", "VRCREDAPROPCIAP", "IDSITCOMPETCIAP", "LOCATE", "DTCOMPETECIAP", "NOME",
                     "ITEMEXISTE", "CDINSCESTA", "NRSEQCIAP"], names
    competencias = rows(ciap)
    assert competencias[0]["IDSITCOMPETCIAP"] == "A"
    assert " - Apropriado - " in competencias[0]["NOME"]
    for r in competencias:
        assert r["LOCATE"] == "C" + r["NRSEQCIAP"] and len(r["NRSEQCIAP"]) == 10
        quotient = r["VRSAIDATRIBCIAP"] / r["VRSAIDACIAP"]
        if r["IDSITCOMPETCIAP"] == "A":
            # As the tax file carries it: the coefficient at 8 decimals, the credit in cents.
            assert r["VRCOEFICIAP"] == round(quotient, 8), r
            assert r["VRCREDAPROPCIAP"] == round(r["VRSALDOPARCCIAP"] * r["VRCOEFICIAP"], 2), r
        else:
            assert abs(r["VRCREDAPROPCIAP"] - r["VRSALDOPARCCIAP"] * r["VRCOEFICIAP"]) < 1e-6
            assert abs(r["VRCOEFICIAP"] - quotient) < 1e-12

    last = competencias[-1]
    assets = rows(c.result("getBensComp", last["COMPETENCIA"], "01", "01", last["NRSEQCIAP"]))
    assert len(assets) == last["ITEMEXISTE"]
    assert abs(sum(a["VRPARCELACIAP"] for a in assets) - last["VRSALDOPARCCIAP"]) < 0.005
    oldest = competencias[0]
    shares = rows(c.result("getBensComp", oldest["COMPETENCIA"], "01", "01", oldest["NRSEQCIAP"]))
    assert round(sum(a["VRAPROPARCCIAP"] for a in shares), 2) == oldest["VRCREDAPROPCIAP"], oldest

    # A new competência for this month, as the screen posts it.
    month = month_text(today)
    first = today.replace(day=1).isoformat()
    reg = "110042490114"
    parcel = rows(c.result("getVrParcelBemComp", month, "01", "01", reg))
    assert len(parcel) == 1 and parcel[0]["VRPARCELACIAP"] > 0
    assert rows(c.result("getCompet_Existe", month, "01", "01", reg)) == [{"COMPETENCIAEXITE": 0}]
    seq = c.result("getNrseqCiap", "01", "01", first)[0]
    fields = ciap["fields"]
    new_row = ["01", "01", month, 0, 0, 0, 0, 0, "P", None, first, None, None, reg, seq]
    delta = {"fields": fields, "changes": [{"status": "inserted", "old": None, "new": new_row}]}
    assert c.result("setCiap", delta) is None
    assert rows(c.result("getCompet_Existe", month, "01", "01", reg)) == [{"COMPETENCIAEXITE": 1}]
    resent = c.call("setCiap", delta)  # the same NRSEQCIAP again: that row exists now
    assert resent["error"]["code"] == -32001, resent
    new_row[14] = c.result("getNrseqCiap", "01", "01", first)[0]
    dup = c.call("setCiap", delta)  # a second competência for the same month and registration
    assert dup["error"]["code"] == -32000, dup

    row = [r for r in rows(c.result("getCIAP", "01", "01", first, first, "Apropriado", "Pendente", reg))][0]
    for mode in ("BEM", "IMP"):
        answer = rows(c.result("CarregaImpostoNFBemParcela", month, "01", "01", 0.0, mode, reg, row["NRSEQCIAP"]))
        assert answer == [{"Retorno": "OK"}], answer
    vd = rows(c.result("VdBemParcel", "01", "01", month, "1", reg))
    assert vd[0]["CDBEMATIVO"] == "0000000001" and vd[0]["SITUACAO"] == 1, vd
    assert c.result("GravaInfBensCiap", "01", "1", "01", first, "D", reg, row["NRSEQCIAP"]) is None
    assert rows(c.result("VdBemParcel", "01", "01", month, "1", reg))[0]["SITUACAO"] == 2
    assert c.result("Apropriar", "01", "01", month, 0.5, row["NRSEQCIAP"]) is None
    refused = c.call("delBensComp", "01", "01", month, row["NRSEQCIAP"])
    assert refused["error"]["code"] == -32000, refused
    assert c.result("cancelaApropriacao", "01", row["NRSEQCIAP"], first, "01") == ["OK"]
    assert c.result("delBensComp", "01", "01", month, row["NRSEQCIAP"]) is None

    bad = c.call("getCIAP", "01")
    assert bad["error"]["code"] == -32602, bad
    assert c.call("noSuchMethod")["error"]["code"] == -32601
    garbage = c.send_line(b"{not json")
    assert garbage["error"]["code"] == -32700 and garbage["id"] is None
    assert c.result("getVerificaImposto", "01") == ["01"]


if __name__ == "__main__":
    main()
