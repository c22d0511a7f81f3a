#!/usr/bin/env python3
"""Unfriendly clients of lumiqo-server for bench/server/load.sh; they run until terminated.

  clients.py slow PORT COUNT
      COUNT connections to 127.0.0.1:PORT: half of them idle, half sending a request header
      one line every two seconds without ever ending it. A connection the server closes is
      opened again at once, so COUNT stay open.
  clients.py listen PORT COUNT PATH RATE
      COUNT listeners of PATH, each reading RATE bytes a second through a small receive
      buffer, like players of a stream; a listener that reaches the end starts again.

It prints "ready" once COUNT are open; on termination it prints what it held and how often the server closed a connection.
"""

import asyncio
import resource
import signal
import socket
import sys

HOST = "127.0.0.1"


class Tally:
    def __init__(self, count):
        self.count = count
        self.open = 0
        self.closed_by_server = 0
        self.bytes = 0
        self.ready = asyncio.Event()

    def opened(self):
        self.open += 1
        if self.open >= self.count:
            self.ready.set()


async def connect(port, receive_buffer=None):
    sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    if receive_buffer:
        sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, receive_buffer)
    sock.setblocking(False)
    await asyncio.get_running_loop().sock_connect(sock, (HOST, port))
    return sock


async def slow_client(port, dribble, tally):
    loop = asyncio.get_running_loop()
    while True:
        try:
            sock = await connect(port)
        except OSError:
            await asyncio.sleep(0.2)
            continue
        tally.opened()
        try:
            if dribble:
                await loop.sock_sendall(sock, b"GET /soft/mlist0.asp HTTP/1.1\r\nHost: 127.0.0.1\r\n")
            while True:
                try:
                    if not await asyncio.wait_for(loop.sock_recv(sock, 4096), 2.0):
                        break
                except asyncio.TimeoutError:
                    if dribble:
                        await loop.sock_sendall(sock, b"X-Slow: 1\r\n")
            tally.closed_by_server += 1
        except OSError:
            tally.closed_by_server += 1
        finally:
            tally.open -= 1
            sock.close()


async def listener(port, path, rate, tally):
    loop = asyncio.get_running_loop()
    request = ("GET %s HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n" % path).encode()
    chunk = 4096
    while True:
        try:
            sock = await connect(port, receive_buffer=chunk * 4)
        except OSError:
            await asyncio.sleep(0.2)
            continue
        tally.opened()
        try:
            await loop.sock_sendall(sock, request)
            while True:
                data = await loop.sock_recv(sock, chunk)
                if not data:
                    break
                tally.bytes += len(data)
                await asyncio.sleep(len(data) / rate)
        except OSError:
            pass
        finally:
            tally.open -= 1
            sock.close()


async def main(argv):
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    resource.setrlimit(resource.RLIMIT_NOFILE, (hard, hard))
    mode, port, count = argv[1], int(argv[2]), int(argv[3])
    tally = Tally(count)
    if mode == "slow":
        tasks = [slow_client(port, i % 2 == 1, tally) for i in range(count)]
    elif mode == "listen":
        path, rate = argv[4], float(argv[5])
        tasks = [listener(port, path, rate, tally) for _ in range(count)]
    else:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    stop = asyncio.Event()
    loop = asyncio.get_running_loop()
    loop.add_signal_handler(signal.SIGTERM, stop.set)
    loop.add_signal_handler(signal.SIGINT, stop.set)
    running = [asyncio.ensure_future(t) for t in tasks]
    await asyncio.wait([asyncio.ensure_future(tally.ready.wait()), asyncio.ensure_future(stop.wait())],
                       return_when=asyncio.FIRST_COMPLETED)
    print("ready", flush=True)
    await stop.wait()
    for t in running:
        t.cancel()
    if mode == "slow":
        print("   (%d connections open at the end; the server closed %d slow or idle ones on the way)"
              % (tally.open, tally.closed_by_server))
    else:
        print("   (%d listeners open at the end; %.1f MB streamed to them)" % (tally.open, tally.bytes / 1e6))
    return 0


if __name__ == "__main__":
    sys.exit(asyncio.run(main(sys.argv)))
