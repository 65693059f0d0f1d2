#!/usr/bin/env python3
"""A TLS client that is not ours: ssl, socket and json, written from docs/protocol.md.

Makes a throwaway CA and a server certificate with openssl, starts ciap-server (path in
argv[1]) with them and a token, and checks: the CA verifies the server for "localhost" and a
call with the token is answered; another name or the system's store is refused by the client;
plain text on the TLS port gets an error that names TLS. Exit status 0 when all checks hold.
"""
import json
import os
import socket
import ssl
import subprocess
import sys
import tempfile

TOKEN = "python-tls-token-0123456789"
REQUEST = {"jsonrpc": "2.0", "id": 1, "method": "MZR02400.rdmCIAP.getVerificaImposto", "params": ["01"]}


def openssl(*args):
    subprocess.run(["openssl", *args], check=True, capture_output=True)


def make_certificates(d):
    ec = ["-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"]
    openssl("req", "-x509", *ec, "-days", "2", "-subj", "/CN=python test CA",
            "-keyout", f"{d}/ca.key", "-out", f"{d}/ca.pem")
    openssl("req", *ec, "-subj", "/CN=localhost", "-keyout", f"{d}/server.key", "-out", f"{d}/server.csr")
    with open(f"{d}/ext", "w") as f:
        f.write("subjectAltName=DNS:localhost\nextendedKeyUsage=serverAuth\n")
    openssl("x509", "-req", "-days", "2", "-in", f"{d}/server.csr", "-CA", f"{d}/ca.pem",
            "-CAkey", f"{d}/ca.key", "-CAcreateserial", "-extfile", f"{d}/ext", "-out", f"{d}/server.pem")


def exchange(sock, request):
    sock.sendall(json.dumps(request).encode() + b"\n")
    data = b""
    while b"\n" not in data:
        chunk = sock.recv(65536)
        if not chunk:
            break
        data += chunk
    return json.loads(data.split(b"\n", 1)[0])


def refused(port, context, name):
    try:
        with context.wrap_socket(socket.create_connection(("127.0.0.1", port), timeout=10),
                                 server_hostname=name):
            return False
    except ssl.SSLCertVerificationError:
        return True


def main():
    with tempfile.TemporaryDirectory() as d:
        make_certificates(d)
        proc = subprocess.Popen([sys.argv[1], "--database", os.path.join(d, "tls.db"), "--port", "0", "--demo",
                                 "--tls-cert", f"{d}/server.pem", "--tls-key", f"{d}/server.key"],
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                                env=dict(os.environ, CIAP_SERVER_TOKEN=TOKEN))
        try:
            line = proc.stdout.readline().strip()
            assert line.startswith("listening on "), line
            port = int(line.rsplit(":", 1)[1])
            trusting = ssl.create_default_context(cafile=f"{d}/ca.pem")
            with trusting.wrap_socket(socket.create_connection(("127.0.0.1", port), timeout=10),
                                      server_hostname="localhost") as s:
                assert s.version() in ("TLSv1.2", "TLSv1.3"), s.version()
                assert exchange(s, REQUEST)["error"]["code"] == -32002
                assert exchange(s, dict(REQUEST, token=TOKEN))["result"] == ["01"]
            assert refused(port, trusting, "elsewhere.example")
            assert refused(port, ssl.create_default_context(), "localhost")
            with socket.create_connection(("127.0.0.1", port), timeout=10) as plain:
                reply = exchange(plain, dict(REQUEST, token=TOKEN))
                assert reply["error"]["code"] == -32000 and "TLS" in reply["error"]["message"], reply
        finally:
            proc.terminate()
            proc.wait(timeout=15)
        assert proc.returncode == 0, proc.returncode
    print("python TLS client: all checks passed")


if __name__ == "__main__":
    main()
