#!/usr/bin/env python3
"""A browser that answers the DevTools protocol badly: it starts like the real one (the port
in DevToolsActivePort, a WebSocket), answers the engine's first commands, then sends
malformed and wrongly typed messages and finally breaks the connection with a frame longer
than any message may be. The engine must report it without crashing or hanging.

With --fake-ending it is a browser that goes away: it serves one page, and when asked for a
second one it reports the first page's target destroyed and its session detached and closes
the connection, all in one write, without answering.

With --remote-debugging-pipe it speaks over descriptors 3 and 4 as the real one does
(NUL-terminated messages) and ends the channel with a message that is not UTF-8."""
import os
import base64
import hashlib
import json
import socket
import struct
import sys

GUID = "258EAFA5-E914-47DA-95CA-C5AB0DC85B11"


def profile_folder():
    for arg in sys.argv[1:]:
        if arg.startswith("--user-data-dir="):
            return arg.split("=", 1)[1]
    sys.exit(2)


def read_exact(conn, n):
    data = b""
    while len(data) < n:
        chunk = conn.recv(n - len(data))
        if not chunk:
            raise EOFError
        data += chunk
    return data


def read_message(conn):
    head = read_exact(conn, 2)
    size = head[1] & 0x7F
    if size == 126:
        size = struct.unpack(">H", read_exact(conn, 2))[0]
    elif size == 127:
        size = struct.unpack(">Q", read_exact(conn, 8))[0]
    mask = read_exact(conn, 4)
    payload = bytearray(read_exact(conn, size))
    for i in range(size):
        payload[i] ^= mask[i % 4]
    return head[0] & 0x0F, payload.decode("utf-8", "replace")


def text_frame(text):
    data = text.encode("utf-8", "surrogatepass")
    if len(data) < 126:
        head = struct.pack(">BB", 0x81, len(data))
    elif len(data) < 65536:
        head = struct.pack(">BBH", 0x81, 126, len(data))
    else:
        head = struct.pack(">BBQ", 0x81, 127, len(data))
    return head + data


def send_text(conn, text):
    conn.sendall(text_frame(text))


class Pipe:
    """The browser's side of the pipe transport, shaped like the WebSocket one above."""

    def __init__(self):
        self.pending = b""

    def read(self):
        while b"\0" not in self.pending:
            chunk = os.read(3, 65536)
            if not chunk:
                raise EOFError
            self.pending += chunk
        message, self.pending = self.pending.split(b"\0", 1)
        return 1, message.decode("utf-8", "replace")

    def send(self, text):
        self.write(text.encode("utf-8", "surrogatepass") + b"\0")

    def write(self, data):
        while data:
            data = data[os.write(4, data):]


def serve_pipe():
    pipe = Pipe()
    made = False
    try:
        while True:
            _, text = pipe.read()
            command = json.loads(text)
            method = command.get("method")
            answer = {"id": command["id"], "result": {}}
            if "sessionId" in command:
                answer["sessionId"] = command["sessionId"]
            if method == "Page.getNavigationHistory":
                answer["result"] = {"currentIndex": 0,
                                    "entries": [{"id": 1, "url": "about:blank"}]}
            if method == "Page.navigate":
                answer["result"] = {"frameId": "T1"}
                pipe.send(json.dumps(answer))
                url = command.get("params", {}).get("url", "")
                pipe.send(json.dumps({"method": "Page.frameNavigated", "sessionId": "S1",
                                      "params": {"frame": {"id": "T1", "url": url}}}))
                continue
            if method != "Target.createTarget":
                pipe.send(json.dumps(answer))
                continue
            if "--fake-ending" in sys.argv and made:
                end = [{"method": "Target.targetDestroyed", "params": {"targetId": "T1"}},
                       {"method": "Target.detachedFromTarget",
                        "params": {"sessionId": "S1", "targetId": "T1"}}]
                pipe.write(b"".join(json.dumps(m).encode() + b"\0" for m in end))
                return
            answer["result"] = {"targetId": "T1"}
            pipe.send(json.dumps(answer))
            if "--fake-ending" in sys.argv:
                pipe.send(json.dumps({"method": "Target.attachedToTarget",
                                      "params": {"sessionId": "S1", "waitingForDebugger": True,
                                                 "targetInfo": {"targetId": "T1", "type": "page",
                                                                "url": "about:blank"}}}))
                made = True
                continue
            for message in BAD:
                pipe.send(message)
            # Bytes that are not UTF-8 end the channel.
            pipe.write(b'{"method": "Page.loadEventFired\xff\xfe"}\0')
            return
    except (EOFError, OSError, ValueError):
        pass


BAD = [
    "not json at all",
    "[1, 2, 3]",
    '{"method": 5}',
    '{"id": "seven", "result": {}}',
    '{"id": 999999, "result": []}',
    '{"method": "Target.attachedToTarget", "params": {"sessionId": 7, "targetInfo": "bad"}}',
    '{"method": "Target.attachedToTarget", "params": {"sessionId": "S1",'
    ' "targetInfo": {"targetId": "T1", "type": "page"}, "waitingForDebugger": true}}',
    '{"method": "Page.frameNavigated", "sessionId": "S1", "params": {"frame": {"id": [], "url": {}}}}',
    '{"method": "Page.frameNavigated", "sessionId": "S1", "params": {"frame": {"id": "T1",'
    ' "url": "http://x.test/\\ud800\\u0000' + "y" * 100000 + '"}}}',
    '{"method": "Fetch.requestPaused", "sessionId": "S1", "params": {"requestId": 1,'
    ' "request": null, "resourceType": "Document", "frameId": "T1"}}',
    '{"method": "Fetch.requestPaused", "sessionId": "S1", "params": {"requestId": "r",'
    ' "request": {"url": "https://native.invalid/call", "postData": "{{{"}, "frameId": "T1"}}',
    '{"method": "Page.javascriptDialogOpening", "sessionId": "S1", "params": {"type": 3}}',
    '{"method": "Runtime.executionContextCreated", "sessionId": "S1", "params": {"context":'
    ' {"id": "a", "auxData": {"isDefault": true, "frameId": "T1"}}}}',
    '{"method": "Runtime.consoleAPICalled", "sessionId": "S1", "params": {"type": "log",'
    ' "args": [{"value": {"deep": [1, 2]}}, 7, {"description": 3}]}}',
    '{"method": "Runtime.bindingCalled", "sessionId": "S1", "params": {"name": "__engineNotify",'
    ' "payload": "{\\"title\\": 42}"}}',
    '{"method": "Page.loadEventFired", "sessionId": "S1", "params": {}}',
]


def serve_then_end(conn):
    made = False
    while True:
        opcode, text = read_message(conn)
        if opcode == 8:
            return
        command = json.loads(text)
        method = command.get("method")
        answer = {"id": command["id"], "result": {}}
        if "sessionId" in command:
            answer["sessionId"] = command["sessionId"]
        events = []
        if method == "Target.createTarget":
            if made:
                break
            answer["result"] = {"targetId": "T1"}
            events.append({"method": "Target.attachedToTarget",
                           "params": {"sessionId": "S1", "waitingForDebugger": True,
                                      "targetInfo": {"targetId": "T1", "type": "page",
                                                     "url": "about:blank"}}})
            made = True
        elif method == "Page.getNavigationHistory":
            answer["result"] = {"currentIndex": 0, "entries": [{"id": 1, "url": "about:blank"}]}
        elif method == "Page.navigate":
            answer["result"] = {"frameId": "T1"}
            url = command.get("params", {}).get("url", "")
            events.append({"method": "Page.frameNavigated", "sessionId": "S1",
                           "params": {"frame": {"id": "T1", "url": url}}})
        send_text(conn, json.dumps(answer))
        for event in events:
            send_text(conn, json.dumps(event))
    end = [{"method": "Target.targetDestroyed", "params": {"targetId": "T1"}},
           {"method": "Target.detachedFromTarget", "params": {"sessionId": "S1", "targetId": "T1"}}]
    conn.sendall(b"".join(text_frame(json.dumps(m)) for m in end))
    # The end of the stream follows the last message, and what the engine still sends is
    # read, so that closing resets nothing the engine has not read yet.
    conn.shutdown(socket.SHUT_WR)
    while conn.recv(65536):
        pass


def main():
    folder = profile_folder()
    if "--remote-debugging-pipe" in sys.argv:
        serve_pipe()
        return
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    port = listener.getsockname()[1]
    with open(folder + "/DevToolsActivePort", "w") as f:
        f.write("%d\n/devtools/browser/fake\n" % port)
    listener.settimeout(60)
    conn, _ = listener.accept()
    request = b""
    while b"\r\n\r\n" not in request:
        request += conn.recv(4096)
    key = [l.split(b":", 1)[1].strip() for l in request.split(b"\r\n")
           if l.lower().startswith(b"sec-websocket-key")][0]
    accept = base64.b64encode(hashlib.sha1(key + GUID.encode()).digest()).decode()
    conn.sendall(("HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\n"
                  "Connection: Upgrade\r\nSec-WebSocket-Accept: %s\r\n\r\n" % accept).encode())
    conn.settimeout(60)
    if "--fake-ending" in sys.argv:
        try:
            serve_then_end(conn)
        except (EOFError, OSError, ValueError):
            pass
        conn.close()
        return
    try:
        while True:
            opcode, text = read_message(conn)
            if opcode == 8:
                break
            command = json.loads(text)
            method = command.get("method")
            result = {"targetId": "T1"} if method == "Target.createTarget" else {}
            if method == "Target.createTarget":
                send_text(conn, json.dumps({"id": command["id"], "result": result}))
                for message in BAD:
                    send_text(conn, message)
                # A frame longer than any message may be ends the connection.
                conn.sendall(struct.pack(">BBQ", 0x81, 127, 1 << 40))
                break
            send_text(conn, json.dumps({"id": command["id"], "result": result}))
    except (EOFError, OSError, ValueError):
        pass
    conn.close()


main()
