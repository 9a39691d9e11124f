"""A scripted DNS server over UDP and TCP, for answers a static zone cannot give.

Run as a program: dns_responder.py SCRIPT LOG [ADDRESS [PORT]]. SCRIPT is a JSON file:

    {"delay_ms": 20,                      # fixed wait before every answer (optional)
     "default": {"rcode": "NXDOMAIN"},    # answer to anything not named (optional)
     "answers": {"rr.test. A": [ANSWER, ANSWER, ...], ...}}

The answers of one name and type are given in turn, one per ask, the last one repeating once
used up. An ANSWER is "drop" (no reply at all) or an object with any of "rcode" (NOERROR,
NXDOMAIN or SERVFAIL; NOERROR by default), "cname" (a name the owner points to; the records
below are then the target's), "a" (dotted addresses) and "ptr" (one name). An answer longer
than the asker's limit (512 bytes, or its EDNS0 size) goes out truncated, and the asker's next
TCP query for the same name and type gets that same answer without using up another one.

Every query it receives is appended to LOG at once, one line each: transport, name, type,
e.g. "udp alpha.test. A". It is also a module: the tests build their probe queries with it.
"""
import json
import select
import socket
import struct
import sys
import time

TYPES = {1: "A", 5: "CNAME", 12: "PTR", 28: "AAAA", 41: "OPT"}
TYPE_CODES = {name: code for code, name in TYPES.items()}
RCODES = {"NOERROR": 0, "SERVFAIL": 2, "NXDOMAIN": 3}
UDP_LIMIT = 512  # what an asker without EDNS0 accepts over UDP
TTL = 60


def type_name(code):
    return TYPES.get(code, "TYPE%d" % code)


def encode_name(name):
    data = b""
    for label in name.rstrip(".").split("."):
        if label:
            raw = label.encode("ascii")
            data += bytes([len(raw)]) + raw
    return data + b"\0"


def read_name(message, offset):
    """The name at offset (following compression pointers) and the offset after it."""
    labels = []
    end = None
    for _ in range(128):  # a bound on pointer chains
        length = message[offset]
        if length & 0xC0 == 0xC0:
            if end is None:
                end = offset + 2
            offset = ((length & 0x3F) << 8) | message[offset + 1]
            continue
        if length == 0:
            break
        labels.append(message[offset + 1:offset + 1 + length].decode("ascii", "replace"))
        offset += 1 + length
    if end is None:
        end = offset + 1
    return ".".join(labels).lower() + ".", end


def build_query(name, qtype="A", ident=0x5150):
    header = struct.pack(">HHHHHH", ident, 0x0100, 1, 0, 0, 0)  # recursion desired
    return header + encode_name(name) + struct.pack(">HH", TYPE_CODES[qtype], 1)


def parse_message(message):
    """Header fields, the question and the answer records (name, type, data) of a message."""
    ident, flags, qdcount, ancount, _, arcount = struct.unpack(">HHHHHH", message[:12])
    offset = 12
    question = None
    for _ in range(qdcount):
        name, offset = read_name(message, offset)
        qtype, _ = struct.unpack(">HH", message[offset:offset + 4])
        offset += 4
        question = (name, type_name(qtype))
    records = []
    for _ in range(ancount + arcount):
        name, offset = read_name(message, offset)
        rtype, rclass, _, length = struct.unpack(">HHIH", message[offset:offset + 10])
        offset += 10
        rdata = message[offset:offset + length]
        if rtype == 1:
            value = socket.inet_ntoa(rdata)
        elif rtype in (5, 12):
            value = read_name(message, offset)[0]
        else:
            value = rclass  # OPT: the class field is the sender's UDP size
        offset += length
        records.append((name, type_name(rtype), value))
    return {"id": ident, "flags": flags, "question": question, "records": records,
            "answers": records[:ancount]}


def build_answer(query, answer, limit):
    """The response to query (as parsed, with its raw question bytes) under answer."""
    flags = 0x8000 | 0x0400 | 0x0100 | 0x0080  # response, authoritative, RD and RA set
    flags |= RCODES[answer.get("rcode", "NOERROR")]
    records = b""
    count = 0
    owner = struct.pack(">H", 0xC00C)  # pointer to the question's name
    if "cname" in answer:
        target = encode_name(answer["cname"])
        records += owner + struct.pack(">HHIH", 5, 1, TTL, len(target)) + target
        count += 1
        owner = target  # the records below belong to the alias's target
    for dotted in answer.get("a", []):
        records += owner + struct.pack(">HHIH", 1, 1, TTL, 4) + socket.inet_aton(dotted)
        count += 1
    if "ptr" in answer:
        target = encode_name(answer["ptr"])
        records += owner + struct.pack(">HHIH", 12, 1, TTL, len(target)) + target
        count += 1
    header = struct.pack(">HHHHHH", query["id"], flags, 1, count, 0, 0)
    message = header + query["raw_question"] + records
    if limit is not None and len(message) > limit:
        header = struct.pack(">HHHHHH", query["id"], flags | 0x0200, 1, 0, 0, 0)
        return header + query["raw_question"], True
    return message, False


class Responder:
    def __init__(self, script, log):
        self.delay = script.get("delay_ms", 0) / 1000.0
        self.default = script.get("default", {"rcode": "NXDOMAIN"})
        self.answers = {}
        for key, value in script["answers"].items():
            name, qtype = key.split()
            self.answers["%s %s" % (name.lower().rstrip(".") + ".", qtype.upper())] = list(value)
        self.asked = {}
        self.truncated = {}  # key -> the answer last sent truncated over UDP
        self.log = log

    def answer_for(self, key, transport):
        if transport == "tcp" and key in self.truncated:
            return self.truncated.pop(key)
        answers = self.answers.get(key)
        if not answers:
            return self.default
        ask = self.asked.get(key, 0)
        self.asked[key] = ask + 1
        return answers[min(ask, len(answers) - 1)]

    def respond(self, message, transport):
        """The reply to one message, or None for no reply."""
        received = time.monotonic()
        try:
            query = parse_message(message)
        except (IndexError, struct.error):
            return None
        if query["question"] is None:
            return None
        name, qtype = query["question"]
        self.log.write("%s %s %s\n" % (transport, name, qtype))
        self.log.flush()
        question_end = 12 + len(encode_name(name)) + 4
        query["raw_question"] = message[12:question_end]
        key = "%s %s" % (name, qtype)
        answer = self.answer_for(key, transport)
        if answer == "drop":
            return None
        limit = None
        if transport == "udp":
            limit = UDP_LIMIT
            for _, rtype, size in query["records"]:
                if rtype == "OPT":
                    limit = max(UDP_LIMIT, size)
        reply, truncated = build_answer(query, answer, limit)
        if truncated:
            self.truncated[key] = answer
        if self.delay:
            # From the query's arrival, so the time spent here is part of the delay.
            time.sleep(max(0.0, received + self.delay - time.monotonic()))
        return reply


def read_exactly(connection, size):
    data = b""
    while len(data) < size:
        chunk = connection.recv(size - len(data))
        if not chunk:
            return None
        data += chunk
    return data


def serve_tcp(responder, connection):
    connection.settimeout(5)
    try:
        while True:
            prefix = read_exactly(connection, 2)
            if prefix is None:
                return
            message = read_exactly(connection, struct.unpack(">H", prefix)[0])
            if message is None:
                return
            reply = responder.respond(message, "tcp")
            if reply is not None:
                connection.sendall(struct.pack(">H", len(reply)) + reply)
    except OSError:
        return
    finally:
        connection.close()


def main(arguments):
    script_path, log_path = arguments[0], arguments[1]
    address = arguments[2] if len(arguments) > 2 else "127.0.0.1"
    port = int(arguments[3]) if len(arguments) > 3 else 53
    with open(script_path) as f:
        script = json.load(f)
    udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    udp.bind((address, port))
    tcp = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    tcp.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    tcp.bind((address, port))
    tcp.listen(8)
    with open(log_path, "a") as log:
        responder = Responder(script, log)
        # Runs until it is stopped; whoever starts it bounds its time.
        while True:
            ready, _, _ = select.select([udp, tcp], [], [])
            if udp in ready:
                message, peer = udp.recvfrom(65535)
                reply = responder.respond(message, "udp")
                if reply is not None:
                    udp.sendto(reply, peer)
            if tcp in ready:
                connection, _ = tcp.accept()
                serve_tcp(responder, connection)


if __name__ == "__main__":
    main(sys.argv[1:])
