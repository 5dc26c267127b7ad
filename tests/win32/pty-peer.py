#!/usr/bin/env python3
"""Plays the far end of the serial ports of a Windows test program running under Wine, which
cannot make a pty itself.

usage: pty-peer.py PORTS_DIR COMMAND...

Listens on a free loopback port, runs COMMAND with TQ37R_PEER set to that port number, and
exits with its status. Each connection is one peer, driven by one-line commands, each
answered with one line ("OK ..." or "ERR ..."):
  OPEN n     make a raw pty and point PORTS_DIR/COMn (which Wine maps as COMn) at its slave
  WRITE hex  write the bytes to the master
  READ       what arrives until nothing more comes for 200 ms: "OK hex"
  LINE       the slave's line as the port set it: "OK rate 8N1 rtscts=0 xonxoff=0"
  HANGUP     close the master, as when the adapter is pulled
Closing the connection closes the pty and removes the link.
"""
import os
import select
import socketserver
import subprocess
import sys
import termios
import threading
import tty

RATES = {getattr(termios, name): int(name[1:]) for name in dir(termios)
         if name.startswith("B") and name[1:].isdigit()}


class Peer(socketserver.StreamRequestHandler):
    def setup(self):
        super().setup()
        self.master = self.slave = None
        self.link = None

    def finish(self):
        for fd in (self.master, self.slave):
            if fd is not None:
                os.close(fd)
        if self.link and os.path.islink(self.link):
            os.unlink(self.link)
        super().finish()

    def handle(self):
        for raw in self.rfile:
            verb, _, argument = raw.decode().strip().partition(" ")
            try:
                answer = getattr(self, "do_" + verb.lower())(argument)
            except Exception as error:  # reported to the test, which fails on it
                answer = "ERR %s" % error
            self.wfile.write((answer + "\n").encode())

    def do_open(self, number):
        self.master, self.slave = os.openpty()
        tty.setraw(self.slave)
        self.link = os.path.join(self.server.ports_dir, "COM" + number)
        if os.path.lexists(self.link):
            os.unlink(self.link)
        os.symlink(os.ttyname(self.slave), self.link)
        return "OK"

    def do_write(self, hex_bytes):
        os.write(self.master, bytes.fromhex(hex_bytes))
        return "OK"

    def do_read(self, _):
        data = b""
        while select.select([self.master], [], [], 0.2)[0]:
            chunk = os.read(self.master, 4096)
            if not chunk:
                break
            data += chunk
        return "OK " + data.hex()

    def do_line(self, _):
        iflag, _, cflag, _, ispeed, _, _ = termios.tcgetattr(self.slave)
        size = {termios.CS5: 5, termios.CS6: 6, termios.CS7: 7, termios.CS8: 8}[cflag & termios.CSIZE]
        parity = "N" if not cflag & termios.PARENB else ("O" if cflag & termios.PARODD else "E")
        stop = 2 if cflag & termios.CSTOPB else 1
        rtscts = int(bool(cflag & termios.CRTSCTS))
        xonxoff = int(bool(iflag & (termios.IXON | termios.IXOFF)))
        return "OK %d %d%s%d rtscts=%d xonxoff=%d" % (RATES.get(ispeed, 0), size, parity, stop, rtscts, xonxoff)

    def do_hangup(self, _):
        os.close(self.master)
        self.master = None
        return "OK"


def main():
    ports_dir, command = sys.argv[1], sys.argv[2:]
    os.makedirs(ports_dir, exist_ok=True)
    socketserver.ThreadingTCPServer.daemon_threads = True
    server = socketserver.ThreadingTCPServer(("127.0.0.1", 0), Peer)
    server.ports_dir = ports_dir
    threading.Thread(target=server.serve_forever, daemon=True).start()
    env = dict(os.environ, TQ37R_PEER=str(server.server_address[1]))
    status = subprocess.call(command, env=env)
    server.shutdown()
    sys.exit(status)


if __name__ == "__main__":
    main()
