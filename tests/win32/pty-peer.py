#!/usr/bin/env python3
# Plays the far end of COM1 for a Windows test program under Wine, which cannot make a pty itself.
# usage: pty-peer.py PORTS_DIR COMMAND...
# Runs COMMAND with TQ37R_PEER set to a loopback port where each connection is one peer, driven by
# one-line commands, each answered with "OK ..." or "ERR ...":
#   OPEN       make a raw pty and point PORTS_DIR/COM1 (which Wine maps as COM1) at its slave
#   WRITE hex  write the bytes to the master
#   READ       what arrives until nothing more comes for 200 ms: "OK hex"
#   LINE       the slave's line as the port set it: "OK rate 8N1 rtscts=0 xonxoff=0"
#   HANGUP     close the master, as when the adapter is pulled
#   CLOSE      close the pty and remove the link, before answering: the next peer's OPEN may come
#              at once, and a link removed after it would be that peer's
# Closing the connection without CLOSE (a test that died) does the same late.
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
    master = slave = link = None

    def finish(self):
        self.do_close(None)
        super().finish()

    def handle(self):
        for raw in self.rfile:
            verb, _, argument = raw.decode().strip().partition(" ")
            try:
                answer = "OK " + getattr(self, "do_" + verb.lower())(argument)
            except Exception as error:  # reported to the test, which fails on it
                answer = "ERR %s" % error
            self.wfile.write((answer + "\n").encode())

    def do_open(self, _):
        self.master, self.slave = os.openpty()
        tty.setraw(self.slave)
        self.link = os.path.join(self.server.ports_dir, "COM1")
        if os.path.lexists(self.link):
            os.unlink(self.link)
        os.symlink(os.ttyname(self.slave), self.link)
        return ""

    def do_write(self, hex_bytes):
        os.write(self.master, bytes.fromhex(hex_bytes))
        return ""

    def do_read(self, _):
        data = b""
        while select.select([self.master], [], [], 0.2)[0] and (chunk := os.read(self.master, 4096)):
            data += chunk
        return data.hex()

    def do_line(self, _):
        iflag, _, cflag, _, ispeed, _, _ = termios.tcgetattr(self.slave)
        size = {termios.CS5: 5, termios.CS6: 6, termios.CS7: 7, termios.CS8: 8}[cflag & termios.CSIZE]
        parity = "N" if not cflag & termios.PARENB else ("O" if cflag & termios.PARODD else "E")
        stop = 2 if cflag & termios.CSTOPB else 1
        flow = (bool(cflag & termios.CRTSCTS), bool(iflag & (termios.IXON | termios.IXOFF)))
        return "%d %d%s%d rtscts=%d xonxoff=%d" % (RATES.get(ispeed, 0), size, parity, stop, *flow)

    def do_close(self, _):
        for fd in (self.master, self.slave):
            if fd is not None:
                os.close(fd)
        self.master = self.slave = None
        if self.link and os.path.islink(self.link):
            os.unlink(self.link)
        self.link = None
        return ""

    def do_hangup(self, _):
        os.close(self.master)
        self.master = None
        return ""


def main():
    ports_dir, command = sys.argv[1], sys.argv[2:]
    os.makedirs(ports_dir, exist_ok=True)
    socketserver.ThreadingTCPServer.daemon_threads = True
    server = socketserver.ThreadingTCPServer(("127.0.0.1", 0), Peer)
    server.ports_dir = ports_dir
    threading.Thread(target=server.serve_forever, daemon=True).start()
    status = subprocess.call(command, env=dict(os.environ, TQ37R_PEER=str(server.server_address[1])))
    server.shutdown()
    sys.exit(status)


if __name__ == "__main__":
    main()
